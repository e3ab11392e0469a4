#include "windows/phraseeditor.h"

#include "board/background.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PhraseEditor::PhraseEditor(QWidget* parent) : DeferredDialog(parent)
{
    setWindowTitle("HangMan - Phrase Buttons ");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
}

void PhraseEditor::buildContents()
{
    applyGameBackground(this);

    auto* grid = new QGridLayout(this);
    for (int i = 0; i < kButtons; ++i) {
        auto* label = new QLabel(QString("Phrase Button %1:").arg(i + 1));
        label->setFont(QFont("Arial", 9, QFont::Bold));
        label->setStyleSheet("color: rgb(73,73,73);");
        m_edits[i] = new QLineEdit;
        m_edits[i]->setObjectName(QString("phrase%1").arg(i + 1));
        m_edits[i]->setMaxLength(kMaxLength);
        label->setBuddy(m_edits[i]);
        m_edits[i]->setMinimumWidth(260);
        grid->addWidget(label, i, 0);
        grid->addWidget(m_edits[i], i, 1);
    }
    auto* note = new QLabel("Buttons can only be used once every 2 seconds");
    note->setStyleSheet("color: red;");
    note->setFont(QFont("Arial", 9, QFont::Bold));
    auto* done = new QPushButton("Done");
    done->setObjectName("button_done");
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &PhraseEditor::onDoneClicked);
    grid->addWidget(note, kButtons, 0, 1, 2);
    grid->addWidget(done, kButtons + 1, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void PhraseEditor::setPhrases(const QStringList& phrases)
{
    ensureBuilt();
    for (int i = 0; i < kButtons; ++i)
        m_edits[i]->setText(phrases.value(i));
}

QStringList PhraseEditor::phrases() const
{
    ensureBuilt();
    QStringList out;
    for (QLineEdit* edit : m_edits)
        out << edit->text();
    return out;
}

void PhraseEditor::onDoneClicked()
{
    emit phrasesAccepted(phrases());
    close();
}
