// Files written through a memory stream and put in place whole.
#include "support/output_file.h"

#include <cerrno>
#include <cstdlib>

#include "platform/file_contents.h"
#include "support/alerts.h"

namespace {

struct ErrnoStatus {
  int err;
  QVStatus status;
};

constexpr ErrnoStatus kErrnoStatuses[] = {
    {ENOENT, -43}, {EIO, -36},     {ENOMEM, -108},  {EACCES, -54}, {EBUSY, -47},
    {ETXTBSY, -47}, {EEXIST, -48}, {ENODEV, -21},   {ENOTDIR, -1407}, {EISDIR, -1302},
    {EINVAL, -57}, {ENFILE, -42},  {EFBIG, -1310},  {ENOSPC, -34}, {EROFS, -46},
};

struct Reason {
  QVStatus status;
  const char* text;
};

constexpr Reason kReasons[] = {
    {-43, "the folder does not exist"},     {-54, "permission denied"},
    {-34, "the disk is full"},              {-1310, "the file is too large"},
    {-1302, "a folder of that name is in the way"}, {-1407, "a file stands where a folder is needed"},
    {-46, "the disk is read-only"},         {-47, "the file is busy"},
    {-108, "not enough memory"},            {-36, "an input/output error"},
    {-42, "too many files are open"},       {-50, "bad name or value"},
};

}  // namespace

std::string QVWriteFailureText(const char* path, QVStatus status) {
  const char* text = "the file could not be written";
  for (const Reason& r : kReasons)
    if (r.status == status) text = r.text;
  return std::string("Cannot save \"") + (path ? path : "") + "\": " + text + " (error " + std::to_string(status) + ")";
}

void QVWriteFailureAlert(const char* title, const char* path, QVStatus status) {
  QVErrorAlert(title, QVWriteFailureText(path, status).c_str(), 1);
}

QVStatus QVStatusFromWriteErrno(int err) {
  for (const ErrnoStatus& row : kErrnoStatuses)
    if (row.err == err) return row.status;
  return kQVErrParam;
}

QVStatus QVOutputFileOpen(const char* path, QVOutputFile* file) {
  if (!file) return kQVErrParam;
  *file = QVOutputFile{};
  if (!path || !*path) return kQVErrParam;
  file->path = path;
  file->stream = open_memstream(&file->bytes, &file->size);
  return file->stream ? kQVNoErr : kQVErrMemory;
}

void QVOutputFileAbandon(QVOutputFile* file) {
  if (!file) return;
  if (file->stream) std::fclose(file->stream);
  std::free(file->bytes);
  file->stream = nullptr;
  file->bytes = nullptr;
  file->size = 0;
}

QVStatus QVOutputFileCommit(QVOutputFile* file) {
  if (!file || !file->stream) return kQVErrParam;
  bool streamFailed = std::ferror(file->stream) != 0;
  if (std::fclose(file->stream) != 0) streamFailed = true;
  file->stream = nullptr;
  if (streamFailed) {
    QVOutputFileAbandon(file);
    return QVStatusFromWriteErrno(ENOMEM);  // a memory stream fails only for want of memory
  }
  int err = 0;
  QVStatus status = PLReplaceFileContentsReportingErrno(file->path.c_str(), file->bytes, file->size, 0644, &err);
  if (status != kQVNoErr) status = QVStatusFromWriteErrno(err ? err : EIO);
  QVOutputFileAbandon(file);
  return status;
}
