// The floor that bench_startup.py holds the game against: a bare Qt Widgets
// program that shows one empty main window as large as the game's, titled
// "BareWindow", and waits until it is closed or terminated.
#include <QApplication>
#include <QMainWindow>

namespace {
constexpr int kWidth = 712;
constexpr int kHeight = 524;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("BareWindow"));
    window.resize(kWidth, kHeight);
    window.show();
    return app.exec();
}
