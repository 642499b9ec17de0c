// The system's own message texts, used exactly as they stand (half-width katakana included).
#pragma once

#include <string>
#include <string_view>

namespace quintorel::messages {

inline constexpr std::string_view kListIndex = "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています";
inline constexpr std::string_view kCannotInsertLine = "行を挿入できません";
inline constexpr std::string_view kStreamRead = "ｽﾄﾘｰﾑからの読み込みｴﾗｰ";
inline constexpr std::string_view kInvalidBitmap = "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です";
inline constexpr std::string_view kOutOfMemory = "ﾒﾓﾘが足りません";
inline constexpr std::string_view kCouldNotAddFrame = "Could not add frame";

// "ﾌｧｲﾙ %s は開けません" with the bare name in place of %s.
inline std::string cannotOpenFile(std::string_view name) {
  return "ﾌｧｲﾙ " + std::string(name) + " は開けません";
}

}  // namespace quintorel::messages
