#pragma once
#include <QString>

// The two program-wide strings, set first thing at start-up: the product
// name is the application title, the caption of message boxes and part of
// every settings key; the version goes into new tree files and the about box.
QString &ProductName();
QString &VersionString();
