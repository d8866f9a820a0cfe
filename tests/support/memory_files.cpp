#include "memory_files.h"

#include "platform/last_error.h"

#include <cstring>

namespace tarvane::test {

FileHandle MemoryFiles::CreateAlways(const std::wstring& path) {
    if (createError) {
        SetThreadLastError(*createError);
        return 0;
    }
    if (folders.count(path) != 0) {
        SetThreadLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    const bool existed = files.count(path) != 0;
    files[path].clear();
    handles_[next_] = path;
    ++openHandles;
    SetThreadLastError(existed ? ERROR_ALREADY_EXISTS : 0);
    return next_++;
}

FileHandle MemoryFiles::OpenExisting(const std::wstring& path) {
    return Open(path);
}

FileHandle MemoryFiles::OpenDenyingWriters(const std::wstring& path) {
    deniedWriters.push_back(path);
    return Open(path);
}

FileHandle MemoryFiles::CreateNew(const std::wstring& path) {
    if (createNewError) {
        SetThreadLastError(*createNewError);
        return 0;
    }
    if (files.count(path) != 0 || folders.count(path) != 0) {
        SetThreadLastError(80); // ERROR_FILE_EXISTS
        return 0;
    }
    files[path];
    handles_[next_] = path;
    ++openHandles;
    SetThreadLastError(0);
    return next_++;
}

FileHandle MemoryFiles::Open(const std::wstring& path) {
    if (openError) {
        SetThreadLastError(*openError);
        return 0;
    }
    if (files.count(path) == 0) {
        SetThreadLastError(folders.count(path) != 0 ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
        return 0;
    }
    handles_[next_] = path;
    ++openHandles;
    SetThreadLastError(0);
    return next_++;
}

bool MemoryFiles::GetSize(FileHandle file, ULONGLONG* size) {
    if (sizeError) {
        SetThreadLastError(*sizeError);
        return false;
    }
    *size = reportedSize ? *reportedSize : files.at(handles_.at(file)).size();
    return true;
}

bool MemoryFiles::Read(FileHandle file, BYTE* buffer, DWORD size, DWORD* done) {
    *done = 0;
    if (readError) {
        SetThreadLastError(*readError);
        return false;
    }
    const auto& bytes = files.at(handles_.at(file));
    DWORD count = static_cast<DWORD>(std::min<std::size_t>(size, bytes.size()));
    if (shortRead) {
        count = std::min(count, *shortRead);
    }
    if (count != 0) {
        std::memcpy(buffer, bytes.data(), count);
    }
    *done = count;
    SetThreadLastError(0);
    return true;
}

bool MemoryFiles::Write(FileHandle file, const BYTE* data, DWORD size, DWORD* done) {
    *done = 0;
    const std::size_t call = writeCalls_++;
    DWORD count = size;
    for (const auto& fault : writeFaults) {
        if (fault.call != call) {
            continue;
        }
        if (fault.error != 0) {
            SetThreadLastError(fault.error);
            return false;
        }
        count = std::min(size, fault.written.value_or(size));
        SetThreadLastError(fault.lastError);
    }
    auto& bytes = files.at(handles_.at(file));
    bytes.insert(bytes.end(), data, data + count);
    *done = count;
    return true;
}

void MemoryFiles::Close(FileHandle file) {
    if (handles_.erase(file) == 1) {
        --openHandles;
    }
}

bool MemoryFiles::Exists(const std::wstring& path) {
    const bool exists = files.count(path) != 0 || folders.count(path) != 0;
    SetThreadLastError(exists ? 0 : ERROR_FILE_NOT_FOUND);
    return exists;
}

bool MemoryFiles::IsDirectory(const std::wstring& path) {
    return folders.count(path) != 0;
}

bool MemoryFiles::CreatePrivateFolder(std::wstring* folder) {
    folder->clear();
    if (privateFolderError) {
        SetThreadLastError(*privateFolderError);
        return false;
    }
    *folder = programData + L"\\Tarvane-" + std::to_wstring(privateFolders.size() + 1);
    folders.insert(*folder);
    privateFolders.push_back(*folder);
    SetThreadLastError(0);
    return true;
}

bool MemoryFiles::RemoveFile(const std::wstring& path) {
    if (removeFileError) {
        SetThreadLastError(*removeFileError);
        return false;
    }
    if (files.erase(path) == 0) {
        SetThreadLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    return true;
}

bool MemoryFiles::RemoveFolder(const std::wstring& path) {
    if (removeFolderError) {
        SetThreadLastError(*removeFolderError);
        return false;
    }
    if (folders.count(path) == 0) {
        SetThreadLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    if (Below(path).size() > 1) {
        SetThreadLastError(ERROR_DIR_NOT_EMPTY);
        return false;
    }
    folders.erase(path);
    return true;
}

std::vector<std::wstring> MemoryFiles::Below(const std::wstring& folder) const {
    std::vector<std::wstring> found;
    const std::wstring prefix = folder + L"\\";
    for (const auto& [path, bytes] : files) {
        if (path.rfind(prefix, 0) == 0) {
            found.push_back(path);
        }
    }
    for (const std::wstring& path : folders) {
        if (path == folder || path.rfind(prefix, 0) == 0) {
            found.push_back(path);
        }
    }
    return found;
}

} // namespace tarvane::test
