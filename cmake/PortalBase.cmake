# PORTAL_BASE_ADDRESS: scheme and host of the portal's web server. Every portal address and the
# main window's class name derive from it at compile time. The class name is the base address
# followed by "/" in a field of 64 UTF-16 characters that must end with at least one zero, so
# the text may hold 63 characters at most.
set(PORTAL_BASE_ADDRESS "https://www.lumivar.example" CACHE STRING
    "Scheme and host of the portal, without a trailing slash")

if(NOT PORTAL_BASE_ADDRESS MATCHES "^[A-Za-z][A-Za-z0-9+.-]*://[^/?#\"\\\\ ]+$")
  message(FATAL_ERROR
    "PORTAL_BASE_ADDRESS must be a scheme and host (and optional port) with no path, query, "
    "quote, backslash, blank or trailing \"/\"; got \"${PORTAL_BASE_ADDRESS}\".")
endif()

string(LENGTH "${PORTAL_BASE_ADDRESS}/" _mk_class_name_length)
if(_mk_class_name_length GREATER 63)
  message(FATAL_ERROR
    "PORTAL_BASE_ADDRESS is too long: the main window class name \"${PORTAL_BASE_ADDRESS}/\" "
    "has ${_mk_class_name_length} characters, and at most 63 fit the 64-character class name "
    "field with its terminating zero.")
endif()
