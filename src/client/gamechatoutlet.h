#pragma once
// The chat panel's outlet into the game: lines, actions and chatter sounds leave
// through the client's game, from the player's own slot.

#include "client/chatpanel.h"
#include "client/model/clientgame.h"
#include "net/protocol.h"

class GameChatOutlet : public ChatOutlet {
public:
    explicit GameChatOutlet(ClientGame& game) : m_game(game) {}

    bool chatOpen() const override { return m_game.isLoggedIn(); }
    bool chatterSoundsOpen() const override { return m_game.isSeated(); }
    void sendChat(const QString& text, const QString& colour) override
    {
        m_game.sendChat(proto::toWire(text), proto::toWire(colour));
    }
    void sendAction(const QString& text, const QString& colour) override
    {
        m_game.sendAction(proto::toWire(text), proto::toWire(colour));
    }
    void sendChatterSound(int tag) override { m_game.sendChatterSound(tag); }

private:
    ClientGame& m_game;
};
