// The Debian package as a person gets it: made by cpack from this build, unpacked with dpkg-deb
// into a temporary root (nothing is installed), and its own ombrix run as a scheduler would run it
// for a user who never ran Ombrix before.
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/sources/SourcesFile.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <string>
#include <sys/stat.h>
#include <utility>

using namespace ombrix;

namespace {

struct Ran
{
    bool finished = false; // started, and ended by itself within the limit
    int exitCode = -1;
    QString output;
    QString errors;

    std::string text() const { return (output + errors).toStdString(); }
};

Ran runProgram(const QString& program, const QStringList& arguments, int limitMs,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
               const QString& workingDirectory = QString())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    Ran ran;
    ran.finished = process.waitForFinished(limitMs);
    if (!ran.finished) {
        ran.errors = program + QStringLiteral(": ") + process.errorString() + QLatin1Char('\n');
        process.kill();
        process.waitForFinished(10000);
    }
    ran.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.output = QString::fromUtf8(process.readAllStandardOutput());
    ran.errors += QString::fromUtf8(process.readAllStandardError());
    return ran;
}

int modeOf(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

class UsualUmask
{
  public:
    UsualUmask() : m_previous(::umask(022)) {}
    ~UsualUmask() { ::umask(m_previous); }
    UsualUmask(const UsualUmask&) = delete;
    UsualUmask& operator=(const UsualUmask&) = delete;

  private:
    mode_t m_previous;
};

// The package names of a Depends field ("a (>= 1), b | c" gives a, b and c).
QSet<QString> packageNames(const QString& field)
{
    QSet<QString> names;
    for (const QString& entry : field.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        for (const QString& alternative : entry.split(QLatin1Char('|'))) {
            // "libc6 (>= 2.34)" and "libc6:any" both name libc6.
            const QString word = alternative.trimmed().section(QLatin1Char(' '), 0, 0);
            const QString name = word.section(QLatin1Char(':'), 0, 0);
            if (!name.isEmpty())
                names.insert(name);
        }
    }
    return names;
}

// The installed package that holds a file, or empty. With merged /usr a library is found under
// /lib and /usr/lib alike, while dpkg knows it only under the path its package ships it at.
QString owningPackage(const QString& path)
{
    QStringList candidates{path, QFileInfo(path).canonicalFilePath()};
    for (const QString& candidate : QStringList(candidates)) {
        if (candidate.startsWith(QStringLiteral("/usr/")))
            candidates << candidate.mid(4);
        else if (candidate.startsWith(QLatin1Char('/')))
            candidates << QStringLiteral("/usr") + candidate;
    }
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty())
            continue;
        const Ran ran = runProgram(QStringLiteral("dpkg-query"), {QStringLiteral("-S"), candidate}, 60000);
        if (!ran.finished || ran.exitCode != 0)
            continue;
        for (const QString& line : ran.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QStringLiteral("diversion ")))
                continue;
            // "libqt6core6:amd64: /usr/lib/x86_64-linux-gnu/libQt6Core.so.6.4.2"
            return line.section(QStringLiteral(": "), 0, 0)
                .section(QStringLiteral(", "), 0, 0)
                .section(QLatin1Char(':'), 0, 0);
        }
    }
    return {};
}

// The libraries a program names itself (its NEEDED entries) with the path the loader finds each at.
QList<std::pair<QString, QString>> neededLibraries(const QString& program, QString* problem)
{
    const Ran elf = runProgram(QStringLiteral("readelf"), {QStringLiteral("-d"), program}, 60000);
    const Ran loader = runProgram(QStringLiteral("ldd"), {program}, 60000);
    if (!elf.finished || elf.exitCode != 0 || !loader.finished || loader.exitCode != 0) {
        *problem = QStringLiteral("readelf or ldd failed on ") + program + QStringLiteral(":\n") +
                   QString::fromStdString(elf.text() + loader.text());
        return {};
    }
    QHash<QString, QString> found;
    static const QRegularExpression lddLine(QStringLiteral("^\\s*(\\S+) => (/\\S+)"));
    // The dynamic loader is listed by its path alone.
    static const QRegularExpression loaderLine(QStringLiteral("^\\s*(/\\S+) \\(0x"));
    for (const QString& line : loader.output.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = lddLine.match(line);
        if (match.hasMatch())
            found.insert(match.captured(1), match.captured(2));
        const QRegularExpressionMatch loaderMatch = loaderLine.match(line);
        if (loaderMatch.hasMatch())
            found.insert(QFileInfo(loaderMatch.captured(1)).fileName(), loaderMatch.captured(1));
    }
    QList<std::pair<QString, QString>> libraries;
    static const QRegularExpression neededLine(QStringLiteral("\\(NEEDED\\).*\\[(.+)\\]"));
    for (const QString& line : elf.output.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = neededLine.match(line);
        if (match.hasMatch())
            libraries.append(std::make_pair(match.captured(1), found.value(match.captured(1))));
    }
    if (libraries.isEmpty())
        *problem = QStringLiteral("readelf shows no NEEDED entry in %1").arg(program);
    return libraries;
}

// The packages that installing these brings along: them, what they depend on, and so on.
QSet<QString> installedWith(const QSet<QString>& packages, QString* problem)
{
    QSet<QString> known = packages;
    QSet<QString> frontier = packages;
    bool first = true;
    while (!frontier.isEmpty()) {
        QStringList query{QStringLiteral("-W"), QStringLiteral("--showformat=${Depends}, ${Pre-Depends}\\n")};
        query += QStringList(frontier.begin(), frontier.end());
        const Ran listed = runProgram(QStringLiteral("dpkg-query"), query, 60000);
        // Later rounds meet virtual packages and alternatives that are not installed here.
        if (first && (!listed.finished || listed.exitCode != 0)) {
            *problem = QStringLiteral("a package of Depends is not known to dpkg:\n") +
                       QString::fromStdString(listed.text());
            return {};
        }
        first = false;
        QSet<QString> next;
        for (const QString& line : listed.output.split(QLatin1Char('\n'))) {
            for (const QString& name : packageNames(line)) {
                if (!known.contains(name)) {
                    known.insert(name);
                    next.insert(name);
                }
            }
        }
        frontier = next;
    }
    return known;
}

QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

class PackageTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_work.isValid());
        m_build = QDir::cleanPath(test::binDir() + QStringLiteral("/.."));
        ASSERT_TRUE(QFileInfo::exists(QDir(m_build).filePath(QStringLiteral("CPackConfig.cmake"))))
            << "no CPackConfig.cmake in " << m_build.toStdString()
            << ": the build was configured without cmake/Packaging.cmake";
        for (const char* tool : {"cpack", "dpkg-deb", "dpkg-query", "readelf", "ldd"}) {
            ASSERT_FALSE(QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                << tool << " is not installed: the package test needs cpack (cmake), dpkg-deb and "
                << "dpkg-query (dpkg), readelf (binutils) and ldd (libc-bin)";
        }
    }

    QString work(const QString& name) const { return m_work.filePath(name); }
    QString root(const QString& path = QString()) const
    {
        const QString top = work(QStringLiteral("root"));
        return path.isEmpty() ? top : QDir(top).filePath(path);
    }

    // cpack on this build into a folder of the test; the .deb it made.
    void makePackage()
    {
        const QString out = work(QStringLiteral("out"));
        // cpack only packages: the build is complete before the tests run (nothing is built here).
        const Ran ran = runProgram(QStringLiteral("cpack"),
                                   {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                                    QDir(m_build).filePath(QStringLiteral("CPackConfig.cmake")),
                                    QStringLiteral("-B"), out},
                                   300000, QProcessEnvironment::systemEnvironment(), m_work.path());
        ASSERT_TRUE(ran.finished && ran.exitCode == 0) << "cpack failed:\n" << ran.text();
        const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
        ASSERT_EQ(debs.size(), 1) << "cpack made " << debs.join(QLatin1Char(' ')).toStdString() << "\n"
                                  << ran.text();
        m_deb = QDir(out).filePath(debs.first());
        const Ran unpack =
            runProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, root()}, 120000);
        ASSERT_TRUE(unpack.finished && unpack.exitCode == 0) << "dpkg-deb -x failed:\n" << unpack.text();
    }

    QString field(const QString& name) const
    {
        const Ran ran = runProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, name}, 60000);
        return ran.output.trimmed();
    }

    // ombrix from the unpacked package, hidden, for a user whose HOME is fresh; no variable of the
    // test points it anywhere (no OMBRIX_HOME, no OMBRIX_BIN_DIR for its helper programs).
    Ran runScheduled(const QString& home) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"OMBRIX_HOME", "XDG_CONFIG_HOME", "OMBRIX_BIN_DIR", "OMBRIX_SOURCE_DIR",
                                 "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("OMBRIX_AUTOSTART_DELAY_MS"), QStringLiteral("0"));
        env.insert(QStringLiteral("OMBRIX_EXIT_DELAY_MS"), QStringLiteral("0"));
        return runProgram(root(QStringLiteral("usr/bin/ombrix")), {QStringLiteral("-start")}, 180000, env,
                          m_work.path());
    }

    QTemporaryDir m_work;
    QString m_build;
    QString m_deb;
};

} // namespace

TEST_F(PackageTest, UnpackedPackageHoldsEverythingAndBacksUpForAFreshUser)
{
    const UsualUmask usualUmask;
    ASSERT_NO_FATAL_FAILURE(makePackage());
    // The FTP tool is packaged once it is built.
    const bool withFtpTool =
        QFileInfo(QDir(test::binDir()).filePath(QStringLiteral("ombrixftp"))).isExecutable();

    // The control fields.
    EXPECT_EQ(field(QStringLiteral("Package")), QStringLiteral("ombrix"));
    EXPECT_EQ(field(QStringLiteral("Version")), QStringLiteral(OMBRIX_VERSION));
    const QSet<QString> depends = packageNames(field(QStringLiteral("Depends")));
    EXPECT_TRUE(depends.contains(QStringLiteral("p7zip-full"))) << "7za comes from p7zip-full";

    // The layout.
    QStringList programs{QStringLiteral("ombrix"), QStringLiteral("ombrixcopy")};
    if (withFtpTool)
        programs << QStringLiteral("ombrixftp");
    for (const QString& program : programs)
        EXPECT_TRUE(QFileInfo(root(QStringLiteral("usr/bin/") + program)).isExecutable())
            << program.toStdString();
    // The language folder holds the language files and nothing else (each file is a language).
    EXPECT_EQ(filesBelow(root(QStringLiteral("usr/share/ombrix/lang"))),
              filesBelow(QDir(test::sourceDir()).filePath(QStringLiteral("lang"))));
    QFile desktop(root(QStringLiteral("usr/share/applications/ombrix.desktop")));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly)) << "no desktop entry";
    const QByteArray entry = desktop.readAll();
    for (const char* line :
         {"[Desktop Entry]\n", "\nType=Application\n", "\nExec=ombrix\n", "\nIcon=ombrix\n"})
        EXPECT_TRUE(entry.contains(line)) << line;
    QFile icon(root(QStringLiteral("usr/share/icons/hicolor/scalable/apps/ombrix.svg")));
    ASSERT_TRUE(icon.open(QIODevice::ReadOnly)) << "no icon";
    EXPECT_TRUE(icon.readAll().contains("<svg"));
    QStringList manPages{QStringLiteral("ombrix")};
    if (withFtpTool)
        manPages << QStringLiteral("ombrixftp");
    for (const QString& page : manPages) {
        const QString plain = root(QStringLiteral("usr/share/man/man1/%1.1").arg(page));
        EXPECT_TRUE(QFileInfo::exists(plain) || QFileInfo::exists(plain + QStringLiteral(".gz")))
            << "no manual page " << page.toStdString();
    }

    // Depends: installing the listed packages (and what they depend on in turn) brings every
    // library a packaged program names.
    QString problem;
    const QSet<QString> provided = installedWith(depends, &problem);
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    for (const QString& program : programs) {
        const auto libraries = neededLibraries(root(QStringLiteral("usr/bin/") + program), &problem);
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        for (const auto& [name, path] : libraries) {
            ASSERT_FALSE(path.isEmpty())
                << program.toStdString() << ": the loader finds no " << name.toStdString();
            const QString owner = owningPackage(path);
            EXPECT_FALSE(owner.isEmpty()) << "no installed package holds " << path.toStdString();
            EXPECT_TRUE(owner.isEmpty() || provided.contains(owner))
                << program.toStdString() << " needs " << name.toStdString() << " from " << owner.toStdString()
                << ", which Depends does not bring";
        }
    }

    // First start of a fresh user: the per-user program folder appears, private, with a private
    // config.ini; nothing is written beside the installed program.
    const QString home = work(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));
    const Ran first = runScheduled(home);
    ASSERT_TRUE(first.finished) << "the first start did not end by itself:\n" << first.text();
    const QString folder = home + QStringLiteral("/.config/ombrix");
    const QString config = folder + QStringLiteral("/config.ini");
    EXPECT_EQ(modeOf(folder), 0700);
    EXPECT_EQ(modeOf(config), 0600);
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/sources.txt")));
    EXPECT_FALSE(QFileInfo::exists(root(QStringLiteral("usr/bin/config.ini"))));

    // The person sets a destination and a source, as the pages would; the file stays private.
    const QString destination = work(QStringLiteral("backup"));
    const QString sources = work(QStringLiteral("documents"));
    ASSERT_TRUE(QDir().mkpath(destination) && QDir().mkpath(sources + QStringLiteral("/letters")));
    for (const char* name : {"notes.txt", "letters/first.txt"}) {
        QFile file(QDir(sources).filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("contents of ") + name + "\n");
    }
    {
        IniStore store(config);
        ASSERT_TRUE(store.writeString(ConfigKeys::BACKUP_DIR, destination));
        // English texts: they come from the installed ../share/ombrix/lang, so seeing them proves
        // the installed program found its language files.
        ASSERT_TRUE(store.writeString(ConfigKeys::LANGUAGE, QStringLiteral("EN")));
    }
    EXPECT_EQ(modeOf(config), 0600);
    ASSERT_TRUE(SourcesFile::write(folder + QStringLiteral("/sources.txt"), {sources}));

    const Ran second = runScheduled(home);
    const auto log = [&] {
        QFile file(folder + QStringLiteral("/log.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("(no log.txt)");
    };
    ASSERT_TRUE(second.finished) << "the backup did not end by itself:\n" << second.text() << log();
    EXPECT_EQ(second.exitCode, 0) << second.text();
    EXPECT_TRUE(second.output.contains(QStringLiteral("Backup finished successfully")))
        << second.text() << log();
    const QStringList sets =
        QDir(destination).entryList({QStringLiteral("OMX_*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    ASSERT_EQ(sets.size(), 1) << second.text() << log();
    const QString set = QDir(destination).filePath(sets.first());
    for (const char* name : {"notes.txt.7z", "letters/first.txt.7z"})
        EXPECT_TRUE(QFileInfo::exists(set + QDir(sources).filePath(QLatin1String(name)))) << name;
    EXPECT_TRUE(IniStore(config).readBool(ConfigKeys::LAST_BACKUP_DONE, false));
    EXPECT_EQ(modeOf(config), 0600) << "the program's own rewrites keep config.ini private";
}
