#pragma once

#include <ostream>
#include <QByteArray>
#include <QString>
#include <QStringList>

// Readable failure messages for Qt values in GoogleTest assertions (found by argument-dependent
// lookup, so they live in the namespace of the Qt types). Long byte contents are cut short.

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    constexpr qsizetype shown = 48;
    *os << '"';
    for (qsizetype i = 0; i < bytes.size() && i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes.at(i));
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\')
            *os << char(c);
        else
            *os << "\\x"
                << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    }
    *os << '"';
    if (bytes.size() > shown)
        *os << "... (" << bytes.size() << " bytes)";
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list.at(i).toStdString() << '"';
    *os << '}';
}
