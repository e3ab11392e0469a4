#pragma once
// Where the game keeps its own files: the tally and the settings file "vorlixlobby.ini".

#include <QString>

// The program's folder when it is writable, else the user's data folder (created
// if needed); an override set for testing wins over both.
QString dataFolder();

// `programFolder` when files can be created in it, else the user's data folder
// (QStandardPaths::AppDataLocation, created if needed).
QString chooseDataFolder(const QString& programFolder);

// Makes dataFolder() return `path` (an empty path restores the normal choice).
void setDataFolderForTesting(const QString& path);
