/* What kvhold.dll and kvdriver share, in a mapping of this name: how many CreateProcessW
   calls the program made and how many messages it posted from a thread other than its
   window's (a start's outcome, sent back from the thread pool), and whether CreateProcessW
   calls wait. */
#pragma once

#define KV_HOLD_MAPPING L"Local\\KvHoldStarts"

typedef struct {
    volatile long patched;  /* the program's imports point at kvhold.dll */
    volatile long calls;    /* CreateProcessW calls so far */
    volatile long outcomes; /* PostMessageW calls from other threads than the window's */
    volatile long holding;  /* set: each CreateProcessW call waits until it is cleared */
} KvHold;
