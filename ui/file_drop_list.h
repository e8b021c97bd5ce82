#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "win32/list_view.h"

const std::uint32_t DROP_FILES = 0x01;
const std::uint32_t DROP_FOLDERS = 0x02;
const std::uint32_t DROP_KEEP_DUPLICATES = 0x04;
const std::uint32_t DROP_BY_EXTENSION = 0x10;
const std::uint32_t DROP_TO_HANDLER = 0x20;

const std::uint32_t PATH_IS_FOLDER = 0x40;
const std::uint32_t PATH_IS_FILE = 0x80;

using DroppedPathHandler = std::function<void(const std::string& path, std::uint32_t kind)>;

struct DropSettings {
  std::uint32_t flags = DROP_FILES | DROP_FOLDERS;
  std::string extension;  // with its dot, for DROP_BY_EXTENSION
  DroppedPathHandler onPath = nullptr;
};

// A list that takes files, folders and shell shortcuts dropped from the
// shell, resolves the shortcuts, and hands each accepted path to a handler
// or to its own row insertion.
class CFileDropList : public ListView {
 public:
  CFileDropList();
  ~CFileDropList() override;

  // False, changing nothing, when the handler route has no handler.
  bool ConfigureDrops(const DropSettings& settings);
  // While this answers false, drops are released unread.
  void SetDropGate(std::function<bool()> acceptsDrops) { m_acceptsDrops = std::move(acceptsDrops); }

  // The default insertion: a row at the top, unless the path is listed.
  virtual int AddPathRow(const std::string& path);

  // The target a shortcut stores, or "" for anything that is not a shortcut
  // to a file-system path.
  static std::string ResolveShortcut(const std::string& path);
  bool ClassifyPath(const std::string& path, std::uint32_t& kind) const;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnDropFiles(HDROP drop);
  void AcceptDroppedPath(const std::string& dropped);

  DropSettings m_settings;
  bool m_bOleStarted = false;
  std::function<bool()> m_acceptsDrops;
};
