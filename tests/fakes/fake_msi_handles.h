#pragma once

#include <windows.h>

#include <msi.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>

enum class HandleKind { Database, View, Record, SummaryInfo };

// The fake engine's open objects. Like the real engine's, handles are small non-zero numbers
// checked against the kind of object a function expects.
class HandleTable {
public:
    MSIHANDLE open(HandleKind kind, std::wstring text = {});
    bool close(MSIHANDLE handle);
    bool isOpen(MSIHANDLE handle, HandleKind kind) const;
    // A database's path, a view's property name or a record's value.
    std::optional<std::wstring> text(MSIHANDLE handle, HandleKind kind) const;

    enum class FetchOutcome { InvalidHandle, NotExecuted, Row, Exhausted };
    bool execute(MSIHANDLE view);
    // A view over one property yields one row; the caller learns the property name with it.
    FetchOutcome fetch(MSIHANDLE view, std::wstring& propertyName);

private:
    struct Object {
        HandleKind kind;
        std::wstring text;
        bool executed = false;
        bool fetched = false;
    };
    Object* find(MSIHANDLE handle, HandleKind kind);
    const Object* find(MSIHANDLE handle, HandleKind kind) const;

    mutable std::mutex mutex_;
    std::map<MSIHANDLE, Object> objects_;
    MSIHANDLE next_ = 1;
};
