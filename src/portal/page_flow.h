// The embedded browser's page flow, free of any platform: which address the host navigates to
// in answer to each browser event, which new-window addresses may go to the shell, and which
// key the host keeps from the engine.
//
// The error page must never loop. An engine reports a failure of the error page itself as one
// more navigation error; answering it with the error page again would spin for ever. The flow
// therefore counts the errors since the last page that completed or the last navigation of its
// own choosing: the first error shows the error page, the second (the error page failed) shows
// the page built into the program, and any later one is left alone until a document completes
// or a refresh starts over. Matching the failed address against the error page was rejected:
// engines report local files in several forms (path, file address, normalised or not), and a
// form we fail to recognise would bring the loop back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "addresses.h"

namespace portal {

class PageFlow {
 public:
  // `table` must outlive the flow; `builtInErrorAddress` is the error page carried in the
  // program, shown when the error page on disk cannot be loaded.
  PageFlow(const AddressTable& table, std::u16string builtInErrorAddress);

  // The first navigation: the loading page, exactly as the table holds it.
  std::u16string Start();
  // A document (the whole page or one of its frames) has completed: the loading page moves on
  // to the compact page; any other document leaves the browser as it is.
  std::optional<std::u16string> DocumentComplete(std::u16string_view url);
  // A navigation has failed, in any frame.
  std::optional<std::u16string> NavigateError();
  // A refresh command: starts over with the given refresh address.
  std::u16string Refresh(std::u16string refreshAddress);

 private:
  enum class ErrorStage { None, ErrorPage, BuiltInPage };

  const AddressTable& table_;
  std::u16string builtInErrorAddress_;
  ErrorStage stage_ = ErrorStage::None;
};

// Whether a completed document's address is the local loading page: "\Res\loading.html" in the
// text (case-sensitive), or, for an engine that reports local documents as file addresses,
// "/Res/loading.html" in an address whose scheme is "file".
bool IsLoadingPageAddress(std::u16string_view url);

// Whether a page-supplied address may be handed to the shell: only http, https and mailto
// addresses without control characters. Anything else could start a local program.
bool IsShellSafeAddress(std::u16string_view url);

// The address of an HTML resource of a module: "res://" + module path + "/" + resource name.
std::u16string ResourceAddress(std::u16string_view modulePath, std::u16string_view name);

// Whether a key press must not reach the browser engine: N with Ctrl and neither Shift nor Alt
// (the engine would open a window of its own). `virtualKey` is the key-down message's key.
bool IsBlockedBrowserKey(unsigned virtualKey, bool ctrl, bool shift, bool alt);

}  // namespace portal
