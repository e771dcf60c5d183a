#pragma once
// The built-in demo database: a small data file made by the project's own writer, used by
// `portalmend-cli demo` so that a new user can see the tool work without a file of their own.

#include "support/data_file_writer.h"

namespace portalmend::writer {

// File name the demo database is written under.
inline constexpr const char kDemoFileName[] = "PortalmendDemo.mdf";

// The demo database: the pages of small_database(), some of them written with torn-page
// protection as older servers did.
DataFileWriter demo_database();

}  // namespace portalmend::writer
