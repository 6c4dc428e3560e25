#include "platform/resources.h"

namespace {
const ResourceTable* g_resources = nullptr;
const ResourceTable kNoResources = {[](int) -> const DialogTemplate* { return nullptr; },
                                    [](int) -> const IconResource* { return nullptr; },
                                    [](int) -> const char* { return nullptr; }};
}  // namespace

void AfxSetResources(const ResourceTable* table) { g_resources = table; }
const ResourceTable& AfxGetResources() { return g_resources ? *g_resources : kNoResources; }
const DialogTemplate* AfxFindDialog(int id) { return AfxGetResources().findDialog(id); }
HICON AfxFindIcon(int id) { return AfxGetResources().findIcon(id); }
const char* AfxFindString(int id) { return AfxGetResources().findString(id); }
