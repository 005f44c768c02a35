#include "platform/shared_memory.h"

#include <cerrno>

#include <sys/ipc.h>
#include <sys/shm.h>

QVStatus PLShmCreate(int32_t key, size_t size, int32_t* id) {
  if (!id || size == 0) return kQVErrParam;
  int result = shmget(key_t(key), size, IPC_CREAT | IPC_EXCL | 0600);
  if (result < 0) {
    if (errno == EEXIST) return kQVErrDuplicate;
    if (errno == EINVAL || errno == ENOMEM || errno == ENOSPC) return kQVErrMemory;
    return kQVErrIO;
  }
  *id = result;
  return kQVNoErr;
}

QVStatus PLShmOpen(int32_t key, int32_t* id) {
  if (!id) return kQVErrParam;
  int result = shmget(key_t(key), 0, 0);
  if (result < 0) return errno == ENOENT ? kQVErrFileNotFound : kQVErrIO;
  *id = result;
  return kQVNoErr;
}

QVStatus PLShmStat(int32_t id, PLShmInfo* info) {
  if (!info) return kQVErrParam;
  struct shmid_ds ds {};
  if (shmctl(id, IPC_STAT, &ds) != 0) return errno == EINVAL || errno == EIDRM ? kQVErrFileNotFound : kQVErrIO;
  info->size = ds.shm_segsz;
  info->ownerUID = ds.shm_perm.uid;
  info->creatorPID = ds.shm_cpid;
  info->attachCount = uint32_t(ds.shm_nattch);
  info->mode = ds.shm_perm.mode & 0777;
  info->createdTime = int64_t(ds.shm_ctime);
  info->removed = (ds.shm_perm.mode & SHM_DEST) != 0;
  return kQVNoErr;
}

void* PLShmAttach(int32_t id) {
  void* address = shmat(id, nullptr, SHM_RND);
  return address == reinterpret_cast<void*>(-1) ? nullptr : address;
}

void PLShmDetach(void* address) {
  if (address) shmdt(address);
}

QVStatus PLShmRemove(int32_t id) {
  if (shmctl(id, IPC_RMID, nullptr) != 0) return errno == EINVAL || errno == EIDRM ? kQVErrFileNotFound : kQVErrIO;
  return kQVNoErr;
}

QVStatus PLShmRemoveKey(int32_t key) {
  int32_t id = 0;
  QVStatus status = PLShmOpen(key, &id);
  return status ? status : PLShmRemove(id);
}
