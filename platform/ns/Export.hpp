#pragma once

// The libraries are built with hidden symbols (-fvisibility=hidden
// -fvisibility-inlines-hidden): only what carries PELLAVO_EXPORT is in their dynamic
// symbol tables, so hosts see the public API and nothing else. A new public class takes
// it on its declaration line, a free function or an extern variable in front:
//   class PELLAVO_EXPORT Stepper : public ui::Control { ... };
//   PELLAVO_EXPORT ui::Color shadeDarker(ui::Color color);
// Members of an exported class are exported with it. Internals (detail namespaces, helpers
// in a .cpp file's anonymous namespace) never carry it; a test checks the libraries export
// none of them. scripts/mark-exports.py puts it wherever a header lacks it.
#ifndef PELLAVO_EXPORT
#define PELLAVO_EXPORT __attribute__((visibility("default")))
#endif
