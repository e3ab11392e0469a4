#pragma once
// Makes the painted board readable to screen readers: its tiles, word, seats,
// clock, figure, status line and panels get accessible roles, names, states and
// values; pictures that carry meaning (the turn pointer, the category banner, the
// headings, the just-watching eyes) get names, and decoration is left out of the
// tree; the letter tiles can be pressed through the accessibility layer; and
// after every board update the parts that changed are told to assistive tools.

#include <QAccessible>
#include <QHash>
#include <QObject>
#include <QString>
#include <optional>

class Board;
class ClientGame;

class BoardAccessibility : public QObject {
    Q_OBJECT
public:
    enum class Kind {
        Board, Letters, Tile, Word, Status, Seat, Clock, Figure, Winner, Chooser, Start, Chat,
        Pointer, Eyes, Category, Heading, Team, Decoration
    };

    // One accessible part of the board; index is the tile or seat number.
    struct Part {
        Kind kind = Kind::Decoration;
        int index = 0;
    };

    // A numeric value with its bounds (score, misses, seconds left).
    struct Range {
        int current = 0;
        int minimum = 0;
        int maximum = 0;
    };

    // What an assistive tool reads from a part.
    struct Reading {
        QAccessible::Role role = QAccessible::StaticText;
        QString name;
        QString description;
        std::optional<Range> range;
        bool unavailable = false;
        bool running = false;
        bool pressable = false;
    };

    // Registers the board's widgets as accessible parts; the board must be fully built.
    explicit BoardAccessibility(Board& board);
    ~BoardAccessibility() override;

    // The part a registered widget stands for.
    Part partOf(QObject* object) const;
    // True for the board's decoration, which assistive tools never meet.
    bool isDecoration(QObject* object) const;
    // The current reading of a part.
    Reading read(Part part) const;
    // The accessibility layer's press: a tile picks its letter, the start button opens the game start.
    void press(Part part);
    // Sends one event for each told fact that changed since the last call (after every change of the game).
    void tellChanges();

    // "7 letters: G, blank, blank, A, blank, blank, E" for the mask "G**A**E".
    static QString spokenWord(const QString& mask);

private:
    struct Told {
        QString name;
        QString description;
        std::optional<int> value;
        bool unavailable = false;
        bool running = false;
    };

    void add(QWidget* widget, Kind kind, int index = 0);
    void addPictures();
    void addDecoration();
    Reading readContainerOrPicture(Part part) const;
    Reading readPicture(Part part) const;
    Told toldOf(Part part) const;
    QString seatDescription(int seat) const;
    bool tileAvailable(int tile) const;

    Board& m_board;
    ClientGame& m_game;
    QHash<QObject*, Part> m_parts;
    QHash<QObject*, Told> m_told;
};
