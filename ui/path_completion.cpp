#include "ui/path_completion.h"

#include <shlobj.h>
#include <shlguid.h>

namespace tessam {

// The shell's completion object over its list of files and folders, which on
// Windows is what SHAutoComplete sets up. Wine has the object but only a
// stub of the list, so under Wine the edits suggest nothing.
void PathCompletion::Attach(HWND edit) {
  fw::ComPtr<IUnknown> folders;
  if (FAILED(::CoCreateInstance(CLSID_ACListISF, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(folders.put())))) {
    return;
  }
  fw::ComPtr<IACList2> options;
  if (SUCCEEDED(folders->QueryInterface(IID_IACList2, reinterpret_cast<void**>(options.put())))) {
    options->SetOptions(ACLO_FILESYSONLY | ACLO_FILESYSDIRS | ACLO_CURRENTDIR);
  }
  if (FAILED(::CoCreateInstance(CLSID_AutoComplete, nullptr, CLSCTX_INPROC_SERVER, IID_IAutoComplete2,
                                reinterpret_cast<void**>(completion_.put())))) {
    return;
  }
  if (FAILED(completion_->Init(edit, folders.get(), nullptr, nullptr))) {
    completion_.reset();
    return;
  }
  completion_->SetOptions(ACO_AUTOSUGGEST | ACO_AUTOAPPEND);
}

}  // namespace tessam
