#pragma once

#include "windows/turl.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The about window: logo, version, the maker's web address and the credits.
class Tabout : public QDialog {
    Q_OBJECT
public:
    // Creates the hidden window; it is centred on mainWindow whenever it is shown.
    explicit Tabout(QWidget* mainWindow = nullptr);

    // The version the client sends at login: the text of the label "1.0.6".
    QString versionText() const;
    // The whole version shown, "1.0.6" followed by ".6".
    QString fullVersion() const;
    // The link behind the web-address line.
    const TURL& url() const { return URL1; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Label7Click();
    void Image1Click();
    void button_doneClick();

    QWidget* mainWindow_;
    TURL URL1;
    QLabel* Image1;
    QLabel* Image2;
    QLabel* Label7;
    QLabel* version;
    QLabel* build;
    QPushButton* button_done;
};
