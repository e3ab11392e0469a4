#pragma once
// The phrase editor: the texts of the nine phrase buttons.

#include <QDialog>
#include <QStringList>

class QLineEdit;

class PhraseEditor : public QDialog {
    Q_OBJECT
public:
    static constexpr int kButtons = 9;
    static constexpr int kMaxLength = 50;

    explicit PhraseEditor(QWidget* parent = nullptr);

    // Puts the buttons' phrases into the edit boxes (before the window is shown).
    void setPhrases(const QStringList& phrases);
    QStringList phrases() const;

signals:
    // "Done": the edited phrases, to become the buttons' phrases and be saved.
    void phrasesAccepted(const QStringList& phrases);

public slots:
    void onDoneClicked();

private:
    QLineEdit* m_edits[kButtons];
};
