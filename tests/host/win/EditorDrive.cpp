#include "tests/host/EditorDrive.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "framework/vst3/Vst3Processor.h"
#include "tests/host/win/HostWindow.h"
#include "tests/vst2/PluginLibrary.h"

namespace hosttest {

namespace {

const char kEditorClass[] = "IEffectWndClass";  // the editor window's class, as hosts see it

bool Fail(std::string* failure, const std::string& what) {
  if (failure) *failure = what + " (Windows error " + std::to_string(GetLastError()) + ")";
  return false;
}

}  // namespace

// 1. A top-level window of the host's, its client area the editor's size.
// 2. effEditOpen with it as the parent: the editor is its child window.
// 3. Messages pumped through five redraw ticks: the editor is drawn.
// 4. The gesture as mouse input: press, one move, release, each followed by
//    pumping, then five more ticks.
// 5. The window's pixels read back; effEditClose, which removes the window.
bool DriveEditor(AEffect* e, const KnobGesture& gesture, EditorSession* session, std::string* failure) {
  ERect* rect = nullptr;
  if (e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f) != 1 || !rect) return Fail(failure, "no editor rectangle");
  const int width = rect->right - rect->left, height = rect->bottom - rect->top;

  HostFrame frame(width, height, "Morvane test host");
  if (!frame.window()) return Fail(failure, "the host's window cannot be made");

  bool ok = false;
  HWND editor = nullptr;
  char className[64] = {};
  if (e->dispatcher(e, effEditOpen, 0, 0, frame.window(), 0.0f) != 1) {
    Fail(failure, "effEditOpen failed");
  } else if (!(editor = GetWindow(frame.window(), GW_CHILD)) || !GetClassNameA(editor, className, sizeof className) ||
             std::strcmp(className, kEditorClass) != 0) {
    Fail(failure, std::string("the editor is no child window of class ") + kEditorClass);
  } else {
    session->ticksBefore = Pump({editor}, 5, 5000);
    session->valueBefore = e->getParameter(e, gesture.param);
    HostCalls().clear();

    ok = MouseGesture(editor, gesture);
    session->ticksAfter = Pump({editor}, 5, 5000);
    session->valueAfter = e->getParameter(e, gesture.param);
    if (!ok) Fail(failure, "mouse input was refused");
    if (ok && !ReadWindow(editor, width, height, &session->window)) ok = Fail(failure, "the window cannot be read");
  }
  e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
  if (ok && editor && IsWindow(editor)) ok = Fail(failure, "the editor window outlived effEditClose");
  return ok;
}

// ---- unload cycles ----------------------------------------------------------------

namespace {

constexpr int kCycleTicks = 3;  // redraw ticks each editor draws per cycle

// Kernel handles: GetProcessHandleCount. Wine answers it with 0; there the
// handle values (multiples of 4, below 65536 in Wine) that
// GetHandleInformation takes are counted.
long CountHandles(std::string* how) {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) {
    *how += "handles: GetProcessHandleCount; ";
    return static_cast<long>(count);
  }
  long probed = 0;
  for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
    DWORD flags;
    probed += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
  }
  *how += "handles: values GetHandleInformation takes (GetProcessHandleCount answers 0); ";
  return probed;
}

long CountThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  long count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  }
  CloseHandle(snapshot);
  return count;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) ++*reinterpret_cast<long*>(count);
  return TRUE;
}

BOOL CALLBACK CountOwnWindowAndChildren(HWND window, LPARAM count) {
  CountOwnWindow(window, count);
  EnumChildWindows(window, CountOwnWindow, count);
  return TRUE;
}

// GDI and USER objects: GetGuiResources. Wine does not implement it. There
// GDI objects are the 16-bit handle values GetObjectType takes (Wine's
// handle table accepts a handle's index alone), and USER objects the
// process's windows: top-level ones, their children, message-only ones.
void CountGuiObjects(ProcessCounts* counts, std::string* how) {
  SetLastError(0);
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (gdi > 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
    counts->gdiObjects = static_cast<long>(gdi);
    counts->userObjects = static_cast<long>(user);
    *how += "GDI and USER objects: GetGuiResources; ";
    return;
  }
  long objects = 0;
  for (ULONG_PTR value = 1; value < 0x10000; ++value) objects += GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0;
  counts->gdiObjects = objects;
  long windows = 0;
  EnumWindows(CountOwnWindowAndChildren, reinterpret_cast<LPARAM>(&windows));
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
    CountOwnWindowAndChildren(w, reinterpret_cast<LPARAM>(&windows));
  }
  counts->userObjects = windows;
  *how += "GDI objects: 16-bit handle values GetObjectType takes, USER objects: the process's windows "
          "(GetGuiResources is not implemented); ";
}

// Committed private memory: PagefileUsage, which Wine fills (PrivateUsage
// it leaves 0).
long CountPrivateKiB(std::string* how) {
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) return -1;
  *how += "memory: PagefileUsage";
  return static_cast<long>(memory.PagefileUsage / 1024);
}

// Dispatches what is queued, then counts.
ProcessCounts Count(std::string* how) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  ProcessCounts counts;
  how->clear();
  counts.handles = CountHandles(how);
  counts.threads = CountThreads();
  CountGuiObjects(&counts, how);
  counts.privateKiB = CountPrivateKiB(how);
  return counts;
}

// The VST3 module as a host scanning it uses it: loaded, InitDll, the
// factory's class made as a component, initialised, terminated and
// released, the factory released, ExitDll, unloaded; it must be gone from
// the process afterwards.
bool Vst3ModuleCycle(const char* path, std::string* failure) {
  void* module = vst2test::OpenLibrary(path);
  if (!module) return Fail(failure, std::string("cannot load ") + path);
  auto init = reinterpret_cast<vst3::InitModuleProc>(vst2test::FindSymbol(module, vst3::kInitModuleProcName));
  auto exit = reinterpret_cast<vst3::ExitModuleProc>(vst2test::FindSymbol(module, vst3::kExitModuleProcName));
  auto getFactory = reinterpret_cast<vst3::GetFactoryProc>(vst2test::FindSymbol(module, vst3::kGetFactoryProcName));
  bool ok = init && exit && getFactory && init();
  vst3::IPluginFactory* factory = ok ? getFactory() : nullptr;
  vst3::PClassInfo info;
  vst3::IComponent* component = nullptr;
  ok = factory && factory->getClassInfo(0, &info) == vst3::kResultOk &&
       factory->createInstance(reinterpret_cast<vst3::FIDString>(info.cid),
                               reinterpret_cast<vst3::FIDString>(vst3::IComponent::iid.bytes),
                               reinterpret_cast<void**>(&component)) == vst3::kResultOk &&
       component && component->initialize(nullptr) == vst3::kResultOk;
  if (component) {
    component->terminate();
    component->release();
  }
  if (factory) factory->release();
  if (exit) exit();
  vst2test::CloseLibrary(module);
  HMODULE holder = nullptr;
  if (getFactory && GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                       reinterpret_cast<LPCSTR>(getFactory), &holder)) {
    return Fail(failure, "the VST3 module stayed loaded after FreeLibrary");
  }
  return ok || Fail(failure, "the VST3 module's factory made no component");
}

// One cycle, each editor in its own child window of the host's frame, side
// by side:
// 1. LoadLibrary; VSTPluginMain twice.
// 2. Each instance opened, given the rate and block size, resumed, one block
//    processed; its editor opened in its window.
// 3. Messages pumped until both editors' redraw timers ticked kCycleTicks
//    times.
// 4. Each editor closed (its window must go), the instance suspended and
//    closed, its host window destroyed.
// 5. FreeLibrary: no module may hold VSTPluginMain's address afterwards, and
//    the editor's window class must be gone with the library.
// 6. When given, the VST3 module's cycle (Vst3ModuleCycle).
bool Cycle(const char* path, const char* vst3Path, HWND frame, std::string* failure) {
  bool ok = true;
  auto fail = [&](const std::string& what) {
    if (ok) Fail(failure, what);
    ok = false;
  };
  void* library = vst2test::OpenLibrary(path);
  if (!library) return Fail(failure, std::string("cannot load ") + path);
  auto entry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "VSTPluginMain"));
  AEffect* effects[2] = {};
  HWND hosts[2] = {};
  HWND editors[2] = {};
  for (int i = 0; i < 2 && ok; ++i) {
    AEffect* e = effects[i] = entry ? entry(&RecordingHost) : nullptr;
    if (!e) {
      fail("no plug-in from VSTPluginMain");
      break;
    }
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, kSampleRate);
    e->dispatcher(e, effSetBlockSize, 0, kBlockFrames, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::vector<float> in0(kBlockFrames, 0.25f), in1(kBlockFrames, -0.25f), out0(kBlockFrames), out1(kBlockFrames);
    float* ins[2] = {in0.data(), in1.data()};
    float* outs[2] = {out0.data(), out1.data()};
    e->processReplacing(e, ins, outs, kBlockFrames);

    ERect* rect = nullptr;
    if (e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f) != 1 || !rect) {
      fail("no editor rectangle");
      break;
    }
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    hosts[i] = CreateWindowExA(0, kHostWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, i * width, 0, width,
                               height, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hosts[i]) {
      fail("the host's window for an editor cannot be made");
    } else if (e->dispatcher(e, effEditOpen, 0, 0, hosts[i], 0.0f) != 1 ||
               !(editors[i] = GetWindow(hosts[i], GW_CHILD))) {
      fail("effEditOpen made no editor window");
    }
  }
  if (ok && Pump({editors[0], editors[1]}, kCycleTicks, 5000) < kCycleTicks) {
    fail("the editors' redraw timers ticked too rarely");
  }

  for (int i = 0; i < 2; ++i) {
    AEffect* e = effects[i];
    if (!e) continue;
    e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
    if (editors[i] && IsWindow(editors[i])) fail("an editor window outlived effEditClose");
    e->dispatcher(e, effMainsChanged, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    if (hosts[i]) DestroyWindow(hosts[i]);
  }
  HostCalls().clear();

  vst2test::CloseLibrary(library);
  HMODULE holder = nullptr;
  if (entry && GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  reinterpret_cast<LPCSTR>(entry), &holder)) {
    fail("the library stayed loaded after FreeLibrary");
  }
  WNDCLASSA info;
  if (GetClassInfoA(static_cast<HINSTANCE>(library), kEditorClass, &info)) {
    fail("the editor's window class outlived the library");
  }
  if (ok && vst3Path) ok = Vst3ModuleCycle(vst3Path, failure);
  return ok;
}

}  // namespace

bool RunUnloadCycles(const char* path, const char* vst3Path, int cycles, int warmUp, UnloadCycles* result,
                     std::string* failure) {
  HMODULE dialogs = nullptr;
  bool ok = true;
  {
    // Room for two editors of Morvane's size (578 x 299) side by side.
    HostFrame frame(1200, 320, "Morvane test host: unload cycles");
    if (!frame.window()) return Fail(failure, "the host's window cannot be made");
    // A host has the common dialogs loaded for its own use. Loaded and
    // unloaded with the library instead, they would bring Wine's print
    // spooler library along, which leaves a mutex handle behind each time it
    // is unloaded.
    dialogs = LoadLibraryA("comdlg32.dll");
    for (int n = 1; n <= cycles && ok; ++n) {
      ok = Cycle(path, vst3Path, frame.window(), failure);
      if (!ok) *failure = "cycle " + std::to_string(n) + ": " + *failure;
      result->cycles = n;
      if (ok && n == 1) result->first = Count(&result->howCounted);
      if (ok && n == warmUp) result->warm = Count(&result->howCounted);
      if (ok && n == cycles) result->last = Count(&result->howCounted);
    }
  }
  if (dialogs) FreeLibrary(dialogs);
  return ok;
}

}  // namespace hosttest
