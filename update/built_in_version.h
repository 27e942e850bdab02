#pragma once
// The version the launcher was built as, in one place: the update check
// compares it with the service's answer and the version resource
// (res/launcher.rc) shows it. Plain macros: the resource compiler reads this
// file too.
#define BUILT_IN_VERSION 1, 1, 1, 0

#define BUILT_IN_VERSION_TEXT_(main, minor, build1, build2) #main "." #minor "." #build1 "." #build2
#define BUILT_IN_VERSION_TEXT_OF(fields) BUILT_IN_VERSION_TEXT_(fields)
// BUILT_IN_VERSION as text, "main.minor.build1.build2".
#define BUILT_IN_VERSION_TEXT BUILT_IN_VERSION_TEXT_OF(BUILT_IN_VERSION)
