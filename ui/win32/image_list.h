#pragma once
#include <windows.h>
#include <commctrl.h>

// An image list owned by its object: destroyed with it.
class ImageList {
 public:
  ImageList() = default;
  ~ImageList() { Destroy(); }
  ImageList(const ImageList&) = delete;
  ImageList& operator=(const ImageList&) = delete;

  bool Create(int width, int height, UINT flags, int initial, int grow) {
    Destroy();
    m_hImageList = ImageList_Create(width, height, flags, initial, grow);
    return m_hImageList != nullptr;
  }
  int Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }
  HIMAGELIST GetSafeHandle() const { return m_hImageList; }
  void Destroy() {
    if (m_hImageList) ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
  }

 private:
  HIMAGELIST m_hImageList = nullptr;
};
