#pragma once

#include <QString>

namespace ombrix::test {

// Where a window test keeps a picture for a person to look at: <build>/screenshots/<test
// program>/<fileName>, the folder made when missing. Every test program has a folder of its own,
// so programs that run side by side never write the same file; within one program each test
// uses file names of its own.
QString screenshotPath(const QString& fileName);

} // namespace ombrix::test
