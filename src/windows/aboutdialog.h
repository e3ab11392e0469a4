#pragma once

#include "windows/deferredwindow.h"
#include "windows/weblink.h"

class Desktop;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The about window: logo, version, the maker's web address and the credits.
class AboutDialog : public DeferredDialog {
    Q_OBJECT
public:
    // Creates the hidden window; it is centred on mainWindow whenever it is shown,
    // and the web address is opened through the desktop.
    explicit AboutDialog(Desktop& desktop, QWidget* mainWindow = nullptr);

    // The version the client sends at login, "1.0.6", as the window shows it (known
    // without making the window's contents).
    QString versionText() const;
    // The whole version shown, "1.0.6" followed by ".6".
    QString fullVersion() const;
    // The link behind the web-address line.
    const WebLink& url() const { return m_link; }

protected:
    void buildContents() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHBoxLayout* buildVersionRow();
    QLabel* buildWebAddress();
    QVBoxLayout* buildCredits();
    void openWebAddress();
    void openLogoLink();
    void onDoneClicked();

    Desktop& m_desktop;
    WebLink m_link;
    QLabel* m_logo = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_webAddress = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_build = nullptr;
    QPushButton* m_doneButton = nullptr;
};
