#pragma once
// Handing a replacement file everything but the content of the file it replaces.
#include <sys/stat.h>

#include <string>

// Gives the open file fd the owner, group and mode in old, then the extended attributes (ACLs
// included) of the file at path. False when any of them cannot be kept.
bool takeOverAttributes(int fd, const struct stat& old, const std::string& path);
