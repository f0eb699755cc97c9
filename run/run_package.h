#pragma once
// The package a setup run works on, and how.
#include <string>

// The package file that the setup ini file names (MsiPath), in setup.exe's folder.
std::wstring PackagePathFromIni();

// An administrative run (/a <folder>): a product package makes an administrative image in that
// folder, and a patch is applied to the image's package.
bool IsAdministrative();
