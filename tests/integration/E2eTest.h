#pragma once

#include "E2eSandbox.h"

#include <gtest/gtest.h>
#include <QByteArray>
#include <QMap>
#include <QString>

namespace ombrix::test {

// A sandbox per test and the checks every end-to-end case ends with.
class E2eTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Every file of `expected` restores from the catalog of set with the same checksum, and
    // the catalog lists nothing else.
    void expectRestoresTo(const QString& set, const QMap<QString, QByteArray>& expected,
                          const QString& password = {}) const;
    // Nothing of a run is left: no *.tmp in the program folder or the destination, and no
    // process (7za, ombrix, a copier) still working on the sandbox.
    void expectNothingLeft() const;
    // Waits until no process works on the sandbox any more (a killed program's children may
    // need a moment to notice); false when some are still there after timeoutMs.
    bool waitUntilNoProcesses(int timeoutMs) const;

    E2eSandbox sandbox;
};

} // namespace ombrix::test
