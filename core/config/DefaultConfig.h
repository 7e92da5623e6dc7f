#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace ombrix {

inline constexpr QLatin1StringView configFileName{"config.ini"};

// Shown (through getLang) when config.ini or sources.txt cannot be created in the program folder;
// the program then ends.
inline constexpr QStringView permissionProblemText =
    u"Problém s oprávněním: Nastavte oprávnění na složku programu tak, aby do ní mohl ombrix zapisovat";

// The 52 lines of a fresh config.ini: [SYSTEM] with its 20 keys, a blank line, [OPTIONS] with its
// 19 keys, a blank line, [OPTIONS_EMAIL] with its 8 keys, each key with its default text.
QStringList defaultConfigLines();
// Those lines as the file holds them: UTF-8, every line ending in CR LF.
QByteArray defaultConfigBytes();

// Writes config.ini into folder from the default lines when it does not exist yet. Returns false
// when it could not be written (the caller shows permissionProblemText) or when something that
// is not a file is in its place.
bool writeDefaultConfigIfMissing(const QString& folder);

} // namespace ombrix
