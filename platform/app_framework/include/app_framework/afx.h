// The application framework in one include: application, windows, dialogs, data exchange, controls.
#pragma once

#include "app_framework/framework_api.h"
#include "app_framework/geometry.h"
#include "app_framework/unique_handle.h"
#include "app_framework/module_state.h"
#include "app_framework/win_app.h"
#include "app_framework/message_map.h"
#include "app_framework/wnd.h"
#include "app_framework/dc.h"
#include "app_framework/dialog.h"
#include "app_framework/data_exchange.h"
#include "app_framework/controls.h"
#include "app_framework/menu.h"
#include "app_framework/message_box.h"
#include "app_framework/clipboard.h"
