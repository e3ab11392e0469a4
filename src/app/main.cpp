#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Hangman");
    QMainWindow window;
    window.setWindowTitle("HangMan");
    window.show();
    return app.exec();
}
