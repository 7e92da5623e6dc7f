#pragma once

#include "core/config/ConfigKeys.h"

#include <QAnyStringView>
#include <QString>

namespace ombrix {

// The write-through store on one INI file (the program's iniConfig, and the e-mail dialog's own
// short-lived store on the same file).
//
// Nothing is cached: every read parses the file as it is now, and every write re-reads it,
// changes the one line (or adds the section/key), and replaces the file atomically before
// returning. Two stores on the same path therefore always see each other's changes, and a crash
// at any moment leaves either the old or the new file.
//
// File format: "[SECTION]" lines open sections, "KEY=value" lines set keys, blank and other lines
// are ignored. Section and key names match without regard to case; the first section of a name
// and the first key of a name in it count. Blanks around a value are not part of it, a value in a
// pair of matching quotes (" or ') is read without them, and a value is read with at most
// maxValueLength characters. Text is UTF-8 (a byte-order mark is honoured and kept); lines end in
// CR LF when written, LF or CR alone are accepted when read. Lines a write does not change keep
// their bytes and their order.
//
// A file that cannot be read (unreadable, larger than maxFileBytes) reads as empty, so every read
// gives its default; a write then fails instead of replacing content it could not see.
//
// Every read and write is atomic with respect to other threads using any IniStore.
class IniStore
{
  public:
    static constexpr int maxValueLength = 2047;
    static constexpr qint64 maxFileBytes = qint64(16) * 1024 * 1024;

    explicit IniStore(const QString& path);

    QString path() const { return m_path; }

    QString readString(QAnyStringView section, QAnyStringView key, const QString& defaultValue) const;
    // Decimal (optionally signed) or hexadecimal with 0x; anything else gives the default.
    int readInt(QAnyStringView section, QAnyStringView key, int defaultValue) const;
    // Read as an integer with default 0 or 1; non-zero is true.
    bool readBool(QAnyStringView section, QAnyStringView key, bool defaultValue) const;
    // True when the key is present in the file (with any value, even an empty one).
    bool hasKey(QAnyStringView section, QAnyStringView key) const;

    // Each write returns false when the file could not be written; lastError() then says
    // "Unable to write to <path>". Line breaks and NULs in a value are written as blanks so a
    // value can never add lines of its own.
    bool writeString(QAnyStringView section, QAnyStringView key, const QString& value);
    bool writeInt(QAnyStringView section, QAnyStringView key, qint64 value);
    bool writeBool(QAnyStringView section, QAnyStringView key, bool value);
    // Removes every line of the key from its section. A missing key or file is not an error.
    bool deleteKey(QAnyStringView section, QAnyStringView key);

    // Writes reach the file before they return, so there is nothing to push out; flush reports
    // whether every write since the previous flush succeeded (false with lastError() otherwise).
    bool flush();

    QString lastError() const;

    // The same operations addressed by a key constant of ConfigKeys.
    QString readString(const ConfigKey& key, const QString& defaultValue) const
    {
        return readString(key.section, key.name, defaultValue);
    }
    int readInt(const ConfigKey& key, int defaultValue) const
    {
        return readInt(key.section, key.name, defaultValue);
    }
    bool readBool(const ConfigKey& key, bool defaultValue) const
    {
        return readBool(key.section, key.name, defaultValue);
    }
    bool hasKey(const ConfigKey& key) const { return hasKey(key.section, key.name); }
    bool writeString(const ConfigKey& key, const QString& value)
    {
        return writeString(key.section, key.name, value);
    }
    bool writeInt(const ConfigKey& key, qint64 value) { return writeInt(key.section, key.name, value); }
    bool writeBool(const ConfigKey& key, bool value) { return writeBool(key.section, key.name, value); }
    bool deleteKey(const ConfigKey& key) { return deleteKey(key.section, key.name); }

  private:
    bool lookup(const QString& section, const QString& key, QString* value) const;
    bool write(const QString& section, const QString& key, const QString* value);
    void fail();

    QString m_path;
    QString m_lastError;
    bool m_failedSinceFlush = false;
};

} // namespace ombrix
