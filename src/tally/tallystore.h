#pragma once
// The tally file: a "WRZL" (or "!HZL") container holding the tally table's text
// dump. A damaged file is never lost: it is kept as path + ".bad" before this run
// starts a new tally, and when even that copy cannot be made, this run never
// writes the file.

#include "tally/tallytable.h"

#include <QString>

class TallyStore {
public:
    // The store of the file at `path`.
    explicit TallyStore(const QString& path);

    // dataFolder() + "/hangmantally.tld".
    static QString defaultPath();
    // The file this store reads and writes.
    QString path() const { return m_path; }

    // Reads the tally; a missing file gives the empty tally. A damaged or unreadable
    // one gives the empty tally and the error text in loadError(), after it was
    // copied to path + ".bad" (when that fails, saving is blocked and the text says so).
    TallyTable load();
    // What went wrong at the last load; empty when nothing did.
    QString loadError() const { return m_loadError; }
    // Writes the tally file (atomically); false when it failed or saving is blocked.
    bool save(const TallyTable& table);

private:
    void keepDamagedFile(const QString& error);

    QString m_path;
    QString m_loadError;
    bool m_savingBlocked = false; // the only copy of an unreadable tally must not be overwritten
};

// Reads a tally file. Throws TallyCoderError or TallyError when it is damaged or unreadable.
TallyTable readTallyFile(const QString& path);

// Writes the tally file in Fast mode, atomically: on failure the old file stays
// as it was and TallyError is thrown.
void writeTallyFile(const QString& path, const TallyTable& table);
