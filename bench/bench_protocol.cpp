// Measures how many protocol messages per second one connection can cut out of
// its byte stream and dispatch to handlers that read their fields.
#include "net/protocol.h"

#include <QHash>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using Handler = std::function<void(proto::FieldReader&)>;

QByteArray sampleStream(int rounds)
{
    proto::msg::Found found;
    found.seat = 2;
    found.letter = 5;
    found.letterChar = 'e';
    found.count = 2;
    found.score = 14;
    found.mask = "*e**e* ***e";
    QByteArray stream;
    for (int i = 0; i < rounds; ++i) {
        stream += proto::msg::selectLetter(1 + i % 6, 1 + i % 26);
        stream += proto::msg::chatRelay("3", "Player Three", "chats: well played everyone :)#12|clRed");
        stream += proto::msg::foundLetter(found);
        stream += proto::msg::nextPlayer(1 + i % 6);
        stream += proto::msg::addMan(2, 17, 'q', 3, "");
    }
    return stream;
}

QHash<QByteArray, Handler> handlers(long& fieldsRead)
{
    auto numbers = [&fieldsRead](proto::FieldReader& reader) {
        while (!reader.atEnd()) {
            reader.nextNumber();
            ++fieldsRead;
        }
    };
    auto text = [&fieldsRead](proto::FieldReader& reader) {
        reader.nextNumber();
        reader.next();
        fieldsRead += 2 + int(reader.rest().size() > 0);
    };
    return {{"CMD_selectletter", numbers}, {"CMD_foundletter", numbers}, {"CMD_nextplayer", numbers},
            {"CMD_addman", numbers}, {"CMD_chat", text}};
}

} // namespace

int main()
{
    constexpr int kRounds = 200000;
    constexpr int kChunk = 1460; // one Ethernet segment per socket read
    const QByteArray stream = sampleStream(kRounds);
    long fieldsRead = 0;
    const QHash<QByteArray, Handler> table = handlers(fieldsRead);

    proto::MessageCutter cutter;
    long dispatched = 0;
    const auto start = std::chrono::steady_clock::now();
    for (qsizetype at = 0; at < stream.size(); at += kChunk) {
        for (const QByteArray& message : cutter.feed(stream.mid(at, kChunk))) {
            const auto named = proto::splitName(message);
            if (!named)
                continue;
            const auto handler = table.constFind(named->name);
            if (handler == table.constEnd())
                continue;
            proto::FieldReader reader(named->args);
            (*handler)(reader);
            ++dispatched;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("messages dispatched: %ld (%ld fields) from %.1f MB in %.3f s\n", dispatched, fieldsRead,
                stream.size() / 1e6, seconds);
    std::printf("cut + dispatch: %.0f messages/s, %.1f MB/s\n", dispatched / seconds, stream.size() / 1e6 / seconds);
    return dispatched == 5L * kRounds ? 0 : 1;
}
