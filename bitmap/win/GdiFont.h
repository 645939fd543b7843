#pragma once

namespace bm {

// Whether the process runs under Wine, whose string drawing the fonts do not
// use: the registry key HKEY_LOCAL_MACHINE\Software\Wine exists. Looked up
// once per process, on first need.
bool RunningUnderWine();

}  // namespace bm
