#!/usr/bin/env python3
"""Writes the seed scripts of fuzz_server into fuzz/corpus/server/.

The operations are those described at the top of fuzz_server.cpp."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "server")
ORDER = "etaoinsrhldcumfpgwybvkxjqz"


def connect():
    return bytes([0, 0])


def close(p):
    return bytes([1, p])


def raw(p, data):
    out = b""
    while data:
        piece, data = data[:255], data[255:]
        out += bytes([2, p, len(piece)]) + piece
    return out


def login(p, name, wrong=False):
    return bytes([3, p, 1 if wrong else 0, len(name)]) + name


def start(p, play_to=0, turn=0, team=False, choose=False):
    return bytes([4, p, play_to | turn << 2 | (16 if team else 0) | (32 if choose else 0)])


def pick(p, letter):
    return bytes([5, p, 0, ord(letter) - ord("a")])


def other(p, kind, a, b):
    return bytes([6, p, kind, a, b])


def wait(t):
    return bytes([7, t])


def stuck(p):
    return bytes([8, p])


def solo_game(rounds):
    s = connect() + login(0, b"You") + wait(1) + start(0) + wait(10)
    for i in range(rounds):
        for letter in ORDER:
            s += pick(0, letter) + wait(13)
    return s


def seeds():
    yield "solo_game", solo_game(8)
    s = b"".join(connect() for _ in range(3))
    s += login(0, b"Host") + login(1, b"Anna") + login(2, b"Bert") + start(0, 1, 1) + wait(10)
    for i, letter in enumerate(ORDER[:12]):
        s += pick(i % 3, letter) + wait(5)
        if i == 6:
            s += close(1) + wait(3) + connect() + login(3, b"Anna")
    yield "three_players_leave_mid_turn", s + wait(40)
    s = b"".join(connect() for _ in range(4))
    s += login(0, b"Host") + login(1, b"Anna") + login(2, b"Bert") + login(3, b"Carl")
    s += start(0, 0, 0, team=True, choose=True) + wait(8) + other(0, 0, 0, 3) + wait(2)
    for i, letter in enumerate(ORDER):
        s += pick(i % 4, letter) + wait(4)
    yield "team_game_choose_category", s + wait(100)
    yield "tenth_refused", b"".join(connect() + login(i, b"P%d" % i) for i in range(10)) + wait(5)
    s = connect() + connect() + login(0, b"Host") + login(1, b"Old", wrong=True) + wait(2)
    s += other(0, 2, 0, 7) + other(1, 3, 0, 9) + other(0, 5, 0, 20) + other(0, 6, 0, 4)
    s += other(1, 1, 0, 1) + other(0, 4, 0, 2) + wait(3)
    yield "wrong_version_chat_kick", s
    s = connect() + connect() + login(0, b"Host") + login(1, b"Anna") + start(0, 3, 3)
    s += other(1, 1, 0, 1) + wait(30) + other(1, 1, 0, 0) + pick(1, "e") + wait(20)
    yield "just_watch_during_game", s
    s = connect() + login(0, b"Host") + connect()
    s += raw(1, b"CMD_selectletter+1+5+\xff" + b"CMD_startgame+x+50+30+false+false+\xff" + b"garbage\xff\xff+\xff")
    s += raw(1, b"x" * 1000) + wait(2) + connect() + raw(2, b"CMD_logininfo+3+1.0.6+Eve+\xff\xff") + wait(200)
    yield "raw_bytes_and_login_timeout", s
    s = connect() + login(0, b"Host") + connect() + login(1, b"Slow") + stuck(1) + start(0)
    for letter in ORDER[:10]:
        s += pick(0, letter) + other(0, 2, 0, 1) + wait(2)
    yield "client_stops_reading", s
    s = connect() + connect() + login(0, b"Host") + login(1, b"Anna") + other(1, 7, 0, 200) + wait(2)
    yield "chat_near_the_longest_message", s + other(0, 2, 0, 1) + wait(1)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
