#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

// Which file an open descriptor or a path stands for, however it is named
// (symbolic or hard link, /proc/self/fd): its device and inode.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOfFd(int fd);
// Follows links; nullopt when the path names no file.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// Whether the open descriptor fd is the file `book`. Both front ends ask this
// of every output, once it is open and before a byte of it is changed.
bool IsTheFile(int fd, const std::optional<FileIdentity>& book);
