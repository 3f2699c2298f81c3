// The product's names and notices, one text each, shared by the version resource (version.rc),
// the program's own windows and the installer (installer/package.py reads the defines). The
// texts are narrow UTF-8 literals, as the resource compiler needs them; C++ takes the wide form
// through MK_WIDE.
#pragma once

#define MK_PRODUCT_NAME "Lumivar迷你版"
#define MK_COMPANY_NAME "Lumivar"
// The name Task Manager and the shell show for the running program.
#define MK_FILE_DESCRIPTION MK_PRODUCT_NAME
#define MK_RIGHTS_NOTICE "© 2024–2026 Lumivar迷你版. All rights reserved."
#define MK_EXE_NAME "MiniKorvel.exe"

#define MK_WIDE_(text) L##text
// MK_WIDE(MK_PRODUCT_NAME) is L"Lumivar迷你版".
#define MK_WIDE(text) MK_WIDE_(text)
