// The Finder information of a file or folder (type and creator codes and
// the flags kept beside them), held in an optional extended attribute.
// Where the file system keeps no such attribute the information reads as
// zeros and setting it changes nothing.
#pragma once

#include <cstdint>

#include "platform/status.h"

constexpr const char* kPLFinderInfoAttribute = "user.com.quorvane.FinderInfo";
constexpr int kPLFinderInfoBytes = 32;  // Finder information 16, extended 16

// The 32 bytes in out: the stored ones, or zeros when there are none.
// kQVErrFileNotFound when the item does not exist.
QVStatus PLGetFinderInfo(const char* path, uint8_t out[kPLFinderInfoBytes]);
// Stores the 32 bytes (all zeros removes the attribute). 0 also when the
// file system keeps no extended attributes.
QVStatus PLSetFinderInfo(const char* path, const uint8_t info[kPLFinderInfoBytes]);
// Copies every user extended attribute of one item onto another. 0 also
// when the file system keeps none.
QVStatus PLCopyUserAttributes(const char* from, const char* to);
