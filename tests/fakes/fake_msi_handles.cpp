#include "fake_msi_handles.h"

MSIHANDLE HandleTable::open(HandleKind kind, std::wstring text) {
    std::lock_guard<std::mutex> lock(mutex_);
    const MSIHANDLE handle = next_++;
    objects_.emplace(handle, Object{kind, std::move(text)});
    return handle;
}

bool HandleTable::close(MSIHANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return objects_.erase(handle) != 0;
}

bool HandleTable::isOpen(MSIHANDLE handle, HandleKind kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return find(handle, kind) != nullptr;
}

std::optional<std::wstring> HandleTable::text(MSIHANDLE handle, HandleKind kind) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Object* object = find(handle, kind);
    if (!object)
        return std::nullopt;
    return object->text;
}

bool HandleTable::execute(MSIHANDLE view) {
    std::lock_guard<std::mutex> lock(mutex_);
    Object* object = find(view, HandleKind::View);
    if (!object)
        return false;
    object->executed = true;
    object->fetched = false;
    return true;
}

HandleTable::FetchOutcome HandleTable::fetch(MSIHANDLE view, std::wstring& propertyName) {
    std::lock_guard<std::mutex> lock(mutex_);
    Object* object = find(view, HandleKind::View);
    if (!object)
        return FetchOutcome::InvalidHandle;
    if (!object->executed)
        return FetchOutcome::NotExecuted;
    if (object->fetched)
        return FetchOutcome::Exhausted;
    object->fetched = true;
    propertyName = object->text;
    return FetchOutcome::Row;
}

HandleTable::Object* HandleTable::find(MSIHANDLE handle, HandleKind kind) {
    const auto found = objects_.find(handle);
    return found != objects_.end() && found->second.kind == kind ? &found->second : nullptr;
}

const HandleTable::Object* HandleTable::find(MSIHANDLE handle, HandleKind kind) const {
    const auto found = objects_.find(handle);
    return found != objects_.end() && found->second.kind == kind ? &found->second : nullptr;
}
