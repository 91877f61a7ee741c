// Resource ids, shared by the .rc file and the code that loads them.
#pragma once

#define IDI_KV_APP 1
#define IDI_KV_WAITING 101
#define IDI_KV_RUNNING 102
