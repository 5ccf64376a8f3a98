// The mail client's object model in one include: the interfaces (application.h, items.h,
// folders.h, explorer.h, event.h), the Restrict filter (filter.h) and the safe wrappers
// (safe_items.h). Tests and examples add mem_application.h for the in-memory client.
#pragma once

#include "common/mailclient/application.h"
#include "common/mailclient/event.h"
#include "common/mailclient/explorer.h"
#include "common/mailclient/filter.h"
#include "common/mailclient/folders.h"
#include "common/mailclient/item_fields.h"
#include "common/mailclient/item_list.h"
#include "common/mailclient/items.h"
#include "common/mailclient/object.h"
#include "common/mailclient/safe_items.h"
