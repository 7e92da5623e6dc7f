#include "core/sources/SourceParser.h"

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>

using namespace ombrix;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

struct ParseCase
{
    QString line;
    QString path;
    QStringList include;
    QStringList exclude;
    QStringList dirs;
    QStringList noCompress;
    bool subdirs = true;
};

// Restores an environment variable when the test ends.
class ScopedEnv
{
  public:
    ScopedEnv(const char* name, const QByteArray& value) : m_name(name)
    {
        m_had = qEnvironmentVariableIsSet(name);
        m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

  private:
    const char* m_name;
    QByteArray m_old;
    bool m_had = false;
};

} // namespace

TEST(SourceParser, LineTable)
{
    const ParseCase cases[] = {
        {s("/data"), s("/data"), {}, {}, {}, {}, true},
        {s("C:\\Data"), s("C:\\Data"), {}, {}, {}, {}, true},
        {s("/data///"), s("/data"), {}, {}, {}, {}, true},
        {s("/data//////+*.txt"), s("/data"), {s("*.txt")}, {}, {}, {}, true},
        {s("/data///x*.jpg///d-Temp///r-///Y"), s("/data"), {}, {}, {}, {}, true},
        {s("/data///+*.doc///+*.xls///-~*///D-Temp///X*.zip///R-"),
         s("/data"),
         {s("*.doc"), s("*.xls")},
         {s("~*")},
         {s("Temp")},
         {s("*.zip")},
         false},
        {s("/data///R-x///R- "), s("/data"), {}, {}, {}, {}, true}, // only exactly "R-"
        {s("/data///R-///R-"), s("/data"), {}, {}, {}, {}, false},
        {s("/data///D-///+///-///X"), s("/data"), {s("")}, {s("")}, {s("")}, {s("")}, true},
        {s("/data///-D-x"), s("/data"), {}, {s("D-x")}, {}, {}, true},
        {s("/data///+ *.txt "), s("/data"), {s(" *.txt ")}, {}, {}, {}, true}, // masks verbatim
        {s("  /my data  ///-*.tmp"), s("  /my data  "), {}, {s("*.tmp")}, {}, {}, true},
        {s("/data///+a//b///+c"), s("/data"), {s("a//b"), s("c")}, {}, {}, {}, true},
        // the root folder and paths ending in '/' run into the marker: surplus slashes are the path's
        {s("////+*.txt"), s("/"), {s("*.txt")}, {}, {}, {}, true},
        {s("/"), s("/"), {}, {}, {}, {}, true},
        {s("/home/a/////R-"), s("/home/a//"), {}, {}, {}, {}, false},
        {s("/data///-x////+y"), s("/data"), {s("y")}, {s("x/")}, {}, {}, true},
        {s("//server/share/Data///+*"), s("//server/share/Data"), {s("*")}, {}, {}, {}, true},
        {s("/data/"), s("/data/"), {}, {}, {}, {}, true},
        {s("/čeština/Dokumenty///+Č*"), s("/čeština/Dokumenty"), {s("Č*")}, {}, {}, {}, true},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const SourceEntry e = pars_source(c.line);
        EXPECT_FALSE(e.blank);
        EXPECT_EQ(e.path, c.path);
        EXPECT_EQ(e.includeMasks, c.include);
        EXPECT_EQ(e.excludeMasks, c.exclude);
        EXPECT_EQ(e.excludedDirMasks, c.dirs);
        EXPECT_EQ(e.noCompressMasks, c.noCompress);
        EXPECT_EQ(e.includeSubdirs, c.subdirs);
        EXPECT_TRUE(e.problem.isEmpty()) << e.problem.toStdString();
    }
}

TEST(SourceParser, BlankLinesAreNoEntry)
{
    for (const QString& line : {QString(), s(" "), s("   \t "), s("\t")}) {
        const SourceEntry e = pars_source(line);
        EXPECT_TRUE(e.blank);
        EXPECT_TRUE(e.path.isEmpty());
        EXPECT_TRUE(e.includeMasks.isEmpty() && e.excludeMasks.isEmpty() && e.excludedDirMasks.isEmpty() &&
                    e.noCompressMasks.isEmpty());
        EXPECT_TRUE(e.includeSubdirs);
        EXPECT_TRUE(e.problem.isEmpty());
    }
}

TEST(SourceParser, BrokenRecordsCarryAProblem)
{
    // No path at all, only options.
    SourceEntry e = pars_source(s("///+*.txt"));
    EXPECT_FALSE(e.blank);
    EXPECT_TRUE(e.path.isEmpty());
    EXPECT_EQ(e.includeMasks, QStringList{s("*.txt")});
    EXPECT_FALSE(e.problem.isEmpty());

    e = pars_source(s("   ///R-"));
    EXPECT_FALSE(e.blank);
    EXPECT_FALSE(e.problem.isEmpty());

    // A NUL would cut the path short at the file system and name another folder.
    e = pars_source(s("/data") + QChar(0) + s("/secret///+*"));
    EXPECT_FALSE(e.blank);
    EXPECT_FALSE(e.problem.isEmpty());

    // Truncated option markers are just text.
    e = pars_source(s("/data//"));
    EXPECT_EQ(e.path, s("/data//"));
    EXPECT_TRUE(e.problem.isEmpty());
}

TEST(SourceParser, ExpandsEnvironmentComponents)
{
    ScopedEnv docs("OMBRIX_T_DOCS", "/home/u/Documents");
    ScopedEnv slash("OMBRIX_T_SLASH", "/home/u/");
    ScopedEnv root("OMBRIX_T_ROOT", "/");

    SourceEntry e = pars_source(s("%OMBRIX_T_DOCS%///+*.doc///R-"));
    EXPECT_EQ(e.path, s("/home/u/Documents"));
    EXPECT_EQ(e.storedPath, s("%OMBRIX_T_DOCS%"));
    EXPECT_EQ(e.includeMasks, QStringList{s("*.doc")});
    EXPECT_FALSE(e.includeSubdirs);
    EXPECT_TRUE(e.problem.isEmpty());

    EXPECT_EQ(pars_source(s("%OMBRIX_T_DOCS%/Work/%OMBRIX_T_ROOT%x")).path,
              s("/home/u/Documents/Work/%OMBRIX_T_ROOT%x"));
    EXPECT_EQ(pars_source(s("/mnt/%OMBRIX_T_ROOT%")).path, s("/mnt//")); // last component keeps its value
    // A value ending in the separator is not doubled before the next component.
    EXPECT_EQ(pars_source(s("%OMBRIX_T_SLASH%/Photos")).path, s("/home/u/Photos"));
    EXPECT_EQ(pars_source(s("%OMBRIX_T_ROOT%/srv")).path, s("/srv"));
    // A trailing separator on the path itself stays.
    EXPECT_EQ(pars_source(s("%OMBRIX_T_DOCS%/")).path, s("/home/u/Documents/"));
    // Names of variables are case-sensitive here, as the environment is.
    EXPECT_EQ(pars_source(s("a%OMBRIX_T_DOCS%/b")).path, s("a%OMBRIX_T_DOCS%/b"));
    // A lone or doubled '%' names nothing and stays.
    EXPECT_EQ(pars_source(s("/x/%/%%/y")).path, s("/x/%/%%/y"));
}

TEST(SourceParser, UnknownVariableExpandsToNothingAndIsReported)
{
    qunsetenv("OMBRIX_T_NOSUCHVAR");
    const SourceEntry e = pars_source(s("%OMBRIX_T_NOSUCHVAR%/Data///+*.txt"));
    EXPECT_EQ(e.path, s("/Data"));
    EXPECT_EQ(e.storedPath, s("%OMBRIX_T_NOSUCHVAR%/Data"));
    EXPECT_EQ(e.unsetVariables, QStringList{s("OMBRIX_T_NOSUCHVAR")});
    EXPECT_EQ(e.problem, s("environment variable OMBRIX_T_NOSUCHVAR is not set"));
    // Not a variable name at all: no lookup of something else.
    const SourceEntry bad = pars_source(s("%A=B%/x"));
    EXPECT_EQ(bad.path, s("/x"));
    EXPECT_FALSE(bad.problem.isEmpty());
}

TEST(SourceParser, ExpansionWithBackslashSeparator)
{
    ScopedEnv profile("OMBRIX_T_PROFILE", "C:\\Users\\jan\\");
    qunsetenv("OMBRIX_T_NOSUCHVAR");
    const QChar bs = u'\\';
    EXPECT_EQ(expandPathVariables(s("%OMBRIX_T_PROFILE%\\Documents"), bs), s("C:\\Users\\jan\\Documents"));
    EXPECT_EQ(expandPathVariables(s("%OMBRIX_T_NOSUCHVAR%\\Data"), bs), s("\\Data"));
    EXPECT_EQ(expandPathVariables(s("\\\\server\\share\\Data"), bs), s("\\\\server\\share\\Data"));
    EXPECT_EQ(expandPathVariables(s("D:\\"), bs), s("D:\\"));
    EXPECT_EQ(expandPathVariables(s("D:"), bs), s("D:"));
    EXPECT_EQ(expandPathVariables(QString(), bs), QString());
    QStringList unset;
    expandPathVariables(s("%OMBRIX_T_NOSUCHVAR%\\%OMBRIX_T_PROFILE%\\x"), bs, &unset);
    EXPECT_EQ(unset, QStringList{s("OMBRIX_T_NOSUCHVAR")});
}

TEST(SourceParser, LineWriterUsesFixedOptionOrderAndStoredPath)
{
    EXPECT_EQ(sourceLine(pars_source(s("C:\\Data///-*.tmp///+*.doc"))), s("C:\\Data///+*.doc///-*.tmp"));
    EXPECT_EQ(sourceLine(pars_source(s("/d///R-///X*.zip///D-Temp///-~*///+*.xls///+*.doc"))),
              s("/d///+*.xls///+*.doc///-~*///D-Temp///X*.zip///R-"));
    // Ignored options disappear, environment components stay unexpanded.
    EXPECT_EQ(sourceLine(pars_source(s("%OMBRIX_T_UNSET_TOO%/Docs///x*.jpg//////+a"))),
              s("%OMBRIX_T_UNSET_TOO%/Docs///+a"));
    EXPECT_EQ(sourceLine(pars_source(s("/data"))), s("/data"));
    EXPECT_EQ(sourcePathPart(s("%HOME%/x///+a///-b")), s("%HOME%/x"));
    EXPECT_EQ(sourcePathPart(s("/data")), s("/data"));
}

TEST(SourceParser, WrittenLinesParseBackToTheSameEntry)
{
    SourceEntry root;
    root.storedPath = s("/");
    root.includeMasks = {s("*.txt"), s("")};
    root.excludeMasks = {s("a/")};
    root.excludedDirMasks = {s("proc"), s("sys")};
    root.noCompressMasks = {s("*.ZIP")};
    root.includeSubdirs = false;

    SourceEntry spaced;
    spaced.storedPath = s(" /x y/ ");
    spaced.excludeMasks = {s(" ~* ")};

    for (const SourceEntry& e : {root, spaced}) {
        const QString line = sourceLine(e);
        const SourceEntry back = pars_source(line);
        EXPECT_EQ(back.storedPath, e.storedPath) << line.toStdString();
        EXPECT_EQ(back.includeMasks, e.includeMasks);
        EXPECT_EQ(back.excludeMasks, e.excludeMasks);
        EXPECT_EQ(back.excludedDirMasks, e.excludedDirMasks);
        EXPECT_EQ(back.noCompressMasks, e.noCompressMasks);
        EXPECT_EQ(back.includeSubdirs, e.includeSubdirs);
        EXPECT_EQ(sourceLine(back), line);
    }
}
