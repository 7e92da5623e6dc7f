#include "ArchiveOpsFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace ombrix::test {
namespace {

// An archiver that ends with success but leaves a wrong archive behind: the real 7za for every
// other command, and for "a" one of the faults below, chosen by FAKE_FAULT. The archive is the
// argument after "--", the file put into it the one after that.
const char* const fakeArchiver = R"sh(#!/bin/sh
real="$REAL_7ZA"
if [ "$1" != a ] || [ "$FAKE_FAULT" = none ]; then exec "$real" "$@"; fi
while [ "$1" != -- ]; do shift; done
archive="$2"; source="$3"
work="$(dirname "$archive")/.fake-work"; mkdir -p "$work"
name="$(basename "$source")"
case "$FAKE_FAULT" in
  nothing) : ;;
  empty) : > "$archive" ;;
  truncated) "$real" a -mx1 -- "$archive" "$source" >/dev/null
             size=$(stat -c %s "$archive"); truncate -s $((size / 2)) "$archive" ;;
  other_name) cp "$source" "$work/other.txt"; "$real" a -mx1 -- "$archive" "$work/other.txt" >/dev/null ;;
  two_files) cp "$source" "$work/other.txt"
             "$real" a -mx1 -- "$archive" "$source" "$work/other.txt" >/dev/null ;;
  cut_short) head -c 10 "$source" > "$work/$name"; "$real" a -mx1 -- "$archive" "$work/$name" >/dev/null ;;
  in_a_folder) mkdir -p "$work/sub"; cp "$source" "$work/sub/$name"
               (cd "$work" && "$real" a -mx1 -- "$archive" "sub/$name" >/dev/null) ;;
esac
rm -rf "$work"
exit 0
)sh";

struct FaultRow
{
    const char* fault;
    bool stored; // whether archivovat may answer true
};

class WrittenArchiveCheck : public ArchiveOpsFixture, public ::testing::WithParamInterface<FaultRow>
{
  protected:
    void SetUp() override
    {
        const QString real = QStandardPaths::findExecutable(QStringLiteral("7za"));
        ASSERT_FALSE(real.isEmpty()) << "7za is not installed";
        ASSERT_TRUE(m_fakeFolder.isValid());
        const QString fake = m_fakeFolder.filePath(QStringLiteral("7za"));
        QFile script(fake);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(fakeArchiver);
        script.close();
        ASSERT_TRUE(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner));
        qputenv("REAL_7ZA", real.toUtf8());
        qputenv("FAKE_FAULT", GetParam().fault);
        qputenv("OMBRIX_7ZA", fake.toUtf8());
    }
    void TearDown() override
    {
        qunsetenv("OMBRIX_7ZA");
        qunsetenv("FAKE_FAULT");
        qunsetenv("REAL_7ZA");
    }

    QStringList filesBelow(const QString& folder) const
    {
        QStringList found;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

    QTemporaryDir m_fakeFolder;
};

// An archive written without a password is judged in the program, from its header: whatever
// the archiver left that is not exactly the one file under its own name with its size is never
// put into the set, and the file counts as not archived.
TEST_P(WrittenArchiveCheck, OnlyTheOneFileUnderItsNameAndSizeIsStored)
{
    const QString source = writeSource(QStringLiteral("docs/report one.txt"), QByteArray(5000, 'r'));
    const bool stored = archiver().archivovat(source, QStringLiteral("0"));
    EXPECT_EQ(stored, GetParam().stored);
    const QString archive = archiveOf(source);
    EXPECT_EQ(QFileInfo::exists(archive), GetParam().stored);
    QStringList left = filesBelow(destRoot());
    left.removeAll(archive);
    EXPECT_TRUE(left.isEmpty()) << left.join(QLatin1Char('\n')).toStdString();
    if (GetParam().stored) {
        // A stock 7za takes it as it is.
        sevenZip({QStringLiteral("x"), QStringLiteral("-o") + restoreDir(), QStringLiteral("--"), archive});
        EXPECT_EQ(readFile(restoreDir() + QStringLiteral("/report one.txt")), QByteArray(5000, 'r'));
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, WrittenArchiveCheck,
                         ::testing::Values(FaultRow{"none", true}, FaultRow{"nothing", false},
                                           FaultRow{"empty", false}, FaultRow{"truncated", false},
                                           FaultRow{"other_name", false}, FaultRow{"two_files", false},
                                           FaultRow{"cut_short", false}, FaultRow{"in_a_folder", false}),
                         [](const ::testing::TestParamInfo<FaultRow>& info) {
                             return std::string(info.param.fault);
                         });

} // namespace
} // namespace ombrix::test
