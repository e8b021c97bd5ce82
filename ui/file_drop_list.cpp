#include "ui/file_drop_list.h"

#include <ole2.h>
#include <shlobj.h>

#include "platform/path_text.h"
#include "crypt/path_facts.h"
#include "res/resource.h"
#include "ui/stored_link_target.h"
#include "ui/win32/resource_text.h"

CFileDropList::CFileDropList() {
  HRESULT started = OleInitialize(nullptr);
  // S_FALSE: already started on this thread, yet it still wants its own end.
  if (SUCCEEDED(started))
    m_bOleStarted = true;
  else
    ApplicationMessageBox(LoadText(IDS_OLE_INIT_FAILED));
}

CFileDropList::~CFileDropList() {
  Detach();
  if (m_bOleStarted) OleUninitialize();
}

bool CFileDropList::ConfigureDrops(const DropSettings& settings) {
  if (!settings.onPath) return false;
  m_settings = settings;
  return true;
}

namespace {

// A target stored with environment variables, expanded by us: the shell would
// expand %ProgramFiles% as a 32-bit process sees it, the "(x86)" folder.
bool ExpandedRawTarget(IShellLinkW& link, wchar_t (&buffer)[MAX_PATH]) {
  WIN32_FIND_DATAW found;
  if (link.GetPath(buffer, MAX_PATH, &found, SLGP_RAWPATH) != S_OK || !wcschr(buffer, L'%'))
    return false;
  std::wstring expanded = ExpandStoredTarget(buffer);
  if (expanded.empty() || expanded.size() >= MAX_PATH) return false;
  expanded.copy(buffer, expanded.size());
  buffer[expanded.size()] = L'\0';
  return true;
}

// The target a loaded shortcut stores, in UTF-16. Its item list comes first:
// Wine keeps the stored path only in the code page, as the look-alike of a
// name the code page cannot hold, while the list keeps every name whole.
std::wstring StoredTarget(IShellLinkW& link) {
  wchar_t buffer[MAX_PATH] = L"";
  if (ExpandedRawTarget(link, buffer)) return buffer;
  PIDLIST_ABSOLUTE items = nullptr;
  if (link.GetIDList(&items) == S_OK && items) {
    bool named = SHGetPathFromIDListW(items, buffer) != FALSE;
    CoTaskMemFree(items);
    if (named) return buffer;
  }
  WIN32_FIND_DATAW found;
  link.GetPath(buffer, MAX_PATH, &found, SLGP_UNCPRIORITY);  // leaves it empty when none
  return buffer;
}

}  // namespace

// Read in UTF-16 and carried as UTF-8 as a drop is: the system's own
// narrowing would turn a target the code page cannot hold into a look-alike
// of another name.
std::string CFileDropList::ResolveShortcut(const std::string& path) {
  std::wstring wide = path_text::ToWide(path);
  if (wide.empty()) return std::string();
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return std::string();
  std::wstring target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) target = StoredTarget(*link);
    file->Release();
  }
  link->Release();
  return path_text::FromWide(target);
}

bool CFileDropList::ClassifyPath(const std::string& path, std::uint32_t& kind) {
  // Asked of the engine's file facts, which reach paths of any length and
  // follow no link: a dropped link is a row whose run fails.
  PathKind found = KindOfPath(path);
  if (found == PathKind::Folder) {
    kind = PATH_IS_FOLDER;
    return true;
  }
  if (found != PathKind::File && found != PathKind::Link) return false;
  kind = PATH_IS_FILE;
  return true;
}

void CFileDropList::AcceptPath(const std::string& dropped) {
  std::string path = dropped;
  std::string target = ResolveShortcut(path);
  if (!target.empty()) path = target;
  std::uint32_t kind = 0;
  if (!ClassifyPath(path, kind)) return;
  if (m_settings.onPath) m_settings.onPath(path, kind);
}

void CFileDropList::OnDropFiles(HDROP drop) {
  if (!m_acceptsDrops || m_acceptsDrops()) {
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      // Sized from the item itself: a path cut at 260 characters could name
      // another file. Read in UTF-16: the system's own narrowing would turn
      // a name the code page cannot hold into a look-alike of another;
      // UTF-8 carries every name whole.
      UINT length = DragQueryFileW(drop, i, nullptr, 0);
      if (length == 0) continue;
      std::wstring path(length + 1, L'\0');
      path.resize(DragQueryFileW(drop, i, &path[0], length + 1));
      AcceptPath(path_text::FromWide(path));
    }
  }
  DragFinish(drop);
}

LRESULT CFileDropList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CREATE:
      if (Default(message, wParam, lParam) == -1) return -1;
      DragAcceptFiles(m_hWnd, TRUE);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}
