// Resource identifiers shared by app.rc and the program entry. Read by the resource
// compiler too: plain preprocessor definitions only.
#pragma once

#define IDI_MAIN_ICON 1
