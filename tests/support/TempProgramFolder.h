#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ombrix::test {

// A fresh, empty program folder for one test, removed afterwards. OMBRIX_HOME points at it
// while the object lives so code that looks up the program folder finds this one.
class TempProgramFolder
{
public:
    TempProgramFolder();
    ~TempProgramFolder();
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // Writes bytes to a file below the folder, creating its folders.
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousHome;
    bool m_hadHome = false;
};

// The folder holding the built programs (ombrixcopy, ombrixftp, ombrix) and lang/.
QString binDir();
// The source tree, for fixtures kept beside the tests.
QString sourceDir();

} // namespace ombrix::test
