// Measures the cost of adding a chat line as the chat grows past its paragraph
// limit, and of restyling every kept line of one style. Runs headless.
#include "client/chatview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

void addChatLine(ChatView& view, int i)
{
    const int style = i % 9;
    view.setStyleLook(style, QColor(style * 25, 0, 120), true, false, false);
    view.addParagraph(style, "Player chats: ");
    for (int word = 0; word < 8; ++word)
        view.addText(style, "word ");
    if (i % 5 == 0)
        view.addSmiley(i % ChatView::kSmileyCount);
    if (i % 7 == 0)
        view.addLink("www.example.com ", "www.example.com");
    view.scrollToEnd();
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ChatView view;
    view.resize(520, 260);
    view.show();

    constexpr int kBatch = 2000;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= 6 * kBatch; ++i) {
        addChatLine(view, i);
        QApplication::processEvents();
        if (i % kBatch == 0) {
            std::printf("lines %5d-%5d: %.3f ms per line (paragraphs kept: %d)\n", i - kBatch + 1, i,
                        clock.nsecsElapsed() / 1e6 / kBatch, view.paragraphCount());
            clock.restart();
        }
    }
    clock.restart();
    view.setStyleLook(3, Qt::darkGreen, true, false, false);
    std::printf("restyling one style over %d kept lines: %.1f ms\n", view.paragraphCount(), clock.nsecsElapsed() / 1e6);
    return 0;
}
