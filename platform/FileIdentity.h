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

// The descriptor number N when path names one of this process's own
// descriptors: /dev/stdout, /dev/stderr, /dev/stdin, /dev/fd/N,
// /proc/self/fd/N, /proc/<own pid>/fd/N, or a chain of symbolic links that
// ends in one of them. Such a path is to be used through the descriptor:
// following it would reach the file behind the descriptor, not the
// descriptor. N need not be open.
std::optional<int> OwnDescriptorOf(const std::string& path);
