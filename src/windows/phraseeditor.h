#pragma once
// The phrase editor: the texts of the nine phrase buttons.

#include "windows/deferredwindow.h"

#include <QStringList>

class QLineEdit;

class PhraseEditor : public DeferredDialog {
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

protected:
    void buildContents() override;

private:
    QLineEdit* m_edits[kButtons] = {};
};
