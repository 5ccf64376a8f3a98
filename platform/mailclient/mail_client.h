// The mail client's object model in one include: the interfaces (application.h, items.h,
// folders.h, explorer.h, event.h), the Restrict filter (filter.h) and the safe wrappers
// (safe_items.h). Tests and examples add mem_application.h for the in-memory client.
#pragma once

#include "platform/mailclient/application.h"
#include "platform/mailclient/event.h"
#include "platform/mailclient/explorer.h"
#include "platform/mailclient/filter.h"
#include "platform/mailclient/folders.h"
#include "platform/mailclient/item_fields.h"
#include "platform/mailclient/item_list.h"
#include "platform/mailclient/items.h"
#include "platform/mailclient/object.h"
#include "platform/mailclient/safe_items.h"
