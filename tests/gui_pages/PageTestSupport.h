#pragma once

#include "core/config/DefaultConfig.h"
#include "core/config/IniStore.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <QWidget>

namespace ombrix::test {

template <typename T> T* child(QWidget* root, const char* name)
{
    T* found = root->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// A program folder with the default config.ini and a store on it.
struct ConfigFixture
{
    ConfigFixture();

    QByteArray bytes() const { return folder.read(QStringLiteral("config.ini")); }

    TempProgramFolder folder;
    std::unique_ptr<IniStore> store;
};

} // namespace ombrix::test
