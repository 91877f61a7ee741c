// The one place the version lives: the version block and the About box read it.
#pragma once

#define KV_VERSION_MAJOR 1
#define KV_VERSION_MINOR 0
#define KV_VERSION_RC 1, 0, 0, 0
#define KV_VERSION_TEXT "1.00"
#define KV_VERSION_LABEL "Version 1.0"
#define KV_PRODUCT_NAME "Kelvarion"
#define KV_APP_TITLE "Kelvarion"
