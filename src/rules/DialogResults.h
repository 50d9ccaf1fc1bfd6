#pragma once

namespace zadaravod {

/// The end codes the dialogs close with; callers compare with these.
namespace result {
inline constexpr int kCancel = 2;  ///< close box or Escape
inline constexpr int kOptionsOk = 1074, kOptionsCancel = 1075;
inline constexpr int kKeySetupOk = 1080, kKeySetupCancel = 1081;
inline constexpr int kEquationOk = 1082, kEquationCancel = 1083;
inline constexpr int kConfirmOk = 1095, kConfirmCancel = 1096;
inline constexpr int kSilenceOk = 1070, kSilenceCancel = 1071;
inline constexpr int kLibraryOk = 1072, kLibraryCancel = 1073;
inline constexpr int kSamplingOk = 1087, kSamplingCancel = 1088;
}  // namespace result

}  // namespace zadaravod
