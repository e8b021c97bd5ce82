#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/win32/list_view.h"

const std::uint32_t PATH_IS_FOLDER = 0x40;
const std::uint32_t PATH_IS_FILE = 0x80;

using DroppedPathHandler = std::function<void(const std::string& path, std::uint32_t kind)>;

struct DropSettings {
  DroppedPathHandler onPath = nullptr;
};

// A list that takes files, folders and shell shortcuts dropped from the
// shell, resolves the shortcuts, and hands each accepted path to a handler.
class CFileDropList : public ListView {
 public:
  CFileDropList();
  ~CFileDropList() override;

  // False, changing nothing, without a handler.
  bool ConfigureDrops(const DropSettings& settings);
  // While this answers false, drops are released unread.
  void SetDropGate(std::function<bool()> acceptsDrops) { m_acceptsDrops = std::move(acceptsDrops); }

  // A path that comes other than by a drop (from another process of the
  // program), taken exactly as a dropped one: a shortcut resolved, anything
  // but a file, folder or link let go.
  void AcceptPath(const std::string& path);

  // The target a shortcut stores, or "" for anything that is not a shortcut
  // to a file-system path.
  static std::string ResolveShortcut(const std::string& path);
  // Folders, files and links are taken; whatever else a path names is not.
  static bool ClassifyPath(const std::string& path, std::uint32_t& kind);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnDropFiles(HDROP drop);

  DropSettings m_settings;
  bool m_bOleStarted = false;
  std::function<bool()> m_acceptsDrops;
};
