// The job list: singly linked nodes in order of addition under one lock, a
// counter handing out ids and a dirty flag for the list control. Rows are
// added after the lock is released and removed before it is taken, by a
// blocking call on the main thread, so a job never holds the lock while it
// waits for the main thread.

#include "media/job_list.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "media/output_job.h"
#include "platform/main_thread.h"

namespace {

struct Node {
  uint32_t id;
  QVOutputJob* job;
  Node* next;
};

struct JobList {
  std::mutex lock;
  Node* head = nullptr;
  uint32_t counter = 0;
  std::atomic<bool> dirty{false};
  std::mutex browserLock;
  QVJobListBrowser browser{};
  bool hasBrowser = false;
};

JobList& List() {
  static JobList* list = new JobList;  // background tasks may outlive static destruction
  return *list;
}

struct RowCall {
  bool add;
  uint32_t id;
};

void* RowOnMain(void* parameter) {
  const RowCall* call = static_cast<const RowCall*>(parameter);
  JobList& l = List();
  QVJobListBrowser b;
  {
    std::lock_guard<std::mutex> hold(l.browserLock);
    if (!l.hasBrowser) return nullptr;
    b = l.browser;
  }
  if (call->add && b.addRow) b.addRow(b.context, call->id);
  if (!call->add && b.removeRow) b.removeRow(b.context, call->id);
  return nullptr;
}

void CopyText(char* to, size_t size, const char* from) { std::snprintf(to, size, "%s", from ? from : ""); }

// The last component of a path.
const char* FileName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

}  // namespace

void QVJobListSetBrowser(const QVJobListBrowser* browser) {
  JobList& l = List();
  std::lock_guard<std::mutex> hold(l.browserLock);
  l.hasBrowser = browser != nullptr;
  l.browser = browser ? *browser : QVJobListBrowser{};
}

QVStatus QVJobListAdd(QVOutputJob* job, uint32_t* outId) {
  JobList& l = List();
  Node* node = new (std::nothrow) Node{0, job, nullptr};
  if (!node) return kQVErrMemory;
  {
    std::lock_guard<std::mutex> hold(l.lock);
    node->id = ++l.counter;
    Node** tail = &l.head;
    while (*tail) tail = &(*tail)->next;
    *tail = node;
    l.dirty = true;
  }
  const uint32_t id = node->id;
  if (outId) *outId = id;
  RowCall call{true, id};
  PLCallOnMainThread(RowOnMain, &call);
  return kQVNoErr;
}

QVStatus QVJobListRemove(uint32_t id) {
  JobList& l = List();
  RowCall call{false, id};
  PLCallOnMainThread(RowOnMain, &call);
  std::lock_guard<std::mutex> hold(l.lock);
  for (Node** link = &l.head; *link; link = &(*link)->next) {
    if ((*link)->id != id) continue;
    Node* gone = *link;
    *link = gone->next;
    delete gone;
    l.dirty = true;
    break;
  }
  return kQVNoErr;
}

bool QVJobListCancel(uint32_t id) {
  JobList& l = List();
  // Under the lock: a job leaves the list before its record goes away.
  std::lock_guard<std::mutex> hold(l.lock);
  for (Node* node = l.head; node; node = node->next) {
    if (node->id != id) continue;
    if (node->job) QVMediaCancelOutputJob(node->job);
    return node->job != nullptr;
  }
  return false;
}

void QVJobListMarkDirty() { List().dirty = true; }

bool QVJobListTakeDirty() { return List().dirty.exchange(false); }

size_t QVJobListIds(uint32_t* ids, size_t capacity) {
  JobList& l = List();
  std::lock_guard<std::mutex> hold(l.lock);
  size_t n = 0;
  for (Node* node = l.head; node; node = node->next, ++n)
    if (ids && n < capacity) ids[n] = node->id;
  return n;
}

void QVJobListFreeAll() {
  JobList& l = List();
  std::lock_guard<std::mutex> hold(l.lock);
  while (Node* node = l.head) {
    l.head = node->next;
    delete node;
  }
}

const char* QVJobKindText(uint32_t kind, uint32_t outputFormat) {
  static const char* const kKinds[] = {"Primary Backup", "Secondary Backup", "Tertiary Backup", "Project Backup",
                                       "Primary Verify", "Secondary Verify", "Tertiary Verify", "Project Verify"};
  static const char* const kFormats[] = {"", "QuickTime", "Apple Device", "DPX Sequence", "JPEG Sequence",
                                         "TIFF Sequence"};
  if (kind >= 1 && kind <= 8) return kKinds[kind - 1];
  if (kind != kQVJobKindGenerateOutput) return "";
  if (outputFormat >= 1 && outputFormat <= 6) return kFormats[outputFormat - 1];
  return "Generate Output";
}

const char* QVJobStatusText(uint32_t status) {
  switch (status) {
    case kQVJobRunning: return "Running";
    case kQVJobFinalizing: return "Finalizing";
    case kQVJobCanceling: return "Canceling";
    case kQVJobPaused: return "Paused";
    default: return "Pending";
  }
}

QVStatus QVJobListItemData(uint32_t id, uint32_t property, QVJobItemData* data, bool setValue) {
  if (setValue || !data) return kQVErrPropertyNotSupported;
  *data = QVJobItemData{};
  switch (property) {
    case kQVJobPropertyProgress:
    case kQVJobPropertyTask:
    case kQVJobPropertyType:
    case kQVJobPropertyStatus:
      break;
    case kQVJobPropertyIsActive:
      data->flag = true;
      data->hasData = true;
      return kQVNoErr;
    case kQVJobPropertyIsEditable:
      data->flag = false;
      data->hasData = true;
      return kQVNoErr;
    case kQVJobPropertyIsContainer:
      return kQVNoErr;
    default:
      return kQVErrPropertyNotSupported;
  }
  JobList& l = List();
  std::lock_guard<std::mutex> hold(l.lock);
  const Node* node = l.head;
  while (node && node->id != id) node = node->next;
  if (!node || !node->job) return kQVNoErr;
  const QVOutputJob& job = *node->job;
  data->hasData = true;
  switch (property) {
    case kQVJobPropertyProgress: {
      const float p = job.progress;
      data->minimum = 0;
      data->maximum = 1000;
      data->value = std::isfinite(p) ? int32_t(std::lround(std::fmin(std::fmax(p, 0.0f), 1.0f) * 1000)) : 0;
      break;
    }
    case kQVJobPropertyTask:
      if (job.kind >= 1 && job.kind <= 8) {
        CopyText(data->text, sizeof data->text, job.name);
      } else {
        // The output's name: the file of a movie, the sequence's base name.
        const QVFileRef* folder = job.params.outputFolder.ref;
        if (job.params.outputName[0]) CopyText(data->text, sizeof data->text, job.params.outputName);
        else if (folder) CopyText(data->text, sizeof data->text, FileName(folder->path));
      }
      break;
    case kQVJobPropertyType:
      CopyText(data->text, sizeof data->text, QVJobKindText(job.kind, job.outputFormat));
      break;
    default:
      CopyText(data->text, sizeof data->text, QVJobStatusText(__atomic_load_n(&job.status, __ATOMIC_ACQUIRE)));
      break;
  }
  return kQVNoErr;
}
