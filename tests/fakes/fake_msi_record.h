#pragma once

#include <initializer_list>
#include <string>

// Appends "Function|argument|argument..." as one UTF-8 line ending in '\n' to the file named by
// FAKE_MSI_RECORD. Without that variable nothing is recorded. Arguments are written as received,
// so a command line containing '|' makes the last field of a line hold '|' too.
void recordCall(const wchar_t* function, std::initializer_list<std::wstring> arguments);

// How a pointer argument appears in the record: its text, or "<null>" for a null pointer.
std::wstring argumentText(const wchar_t* text);
std::wstring argumentNumber(unsigned long number);
std::wstring argumentNumber(long number);
