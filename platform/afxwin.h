#pragma once
// The framework layer as the system code includes it.

#include "platform/afx_types.h"
#include "platform/app.h"
#include "platform/comm_control.h"
#include "platform/controls.h"
#include "platform/ctime.h"
#include "platform/dialog.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "platform/variant.h"
#include "platform/wnd.h"
