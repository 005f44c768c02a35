// Calls on the main thread. A call made on the main thread runs at once.
// A call from another thread is posted to a queue, the wake hook is called so
// that the event loop notices, and the caller waits until the main thread has
// run it with PLDrainMainThreadCalls and then gets its result.
//
// A program without an event loop installs no wake hook: nobody would ever
// drain the queue, so there a call from another thread runs on the calling
// thread under a lock that keeps such calls one at a time.
#pragma once

// The thread that runs static initialisation is taken as the main thread;
// a program may name another one (call it from that thread).
void PLSetMainThread();
bool PLIsMainThread();

using PLMainThreadFunction = void* (*)(void* parameter);

// Runs function(parameter) on the main thread and returns its result.
void* PLCallOnMainThread(PLMainThreadFunction function, void* parameter);

// Runs every call posted so far, in posting order, on the calling thread (the
// main thread's event loop calls this when woken). Returns how many ran.
int PLDrainMainThreadCalls();

// hook(context) is called, on the posting thread, after each post. A null
// hook removes it. The event loop of a toolkit sets it to wake itself up.
using PLMainThreadWakeHook = void (*)(void* context);
void PLSetMainThreadWakeHook(PLMainThreadWakeHook hook, void* context);
