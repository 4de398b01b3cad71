#pragma once
// Item names of the parameter files. The files are Shift-JIS on every platform, so the Japanese
// names are written as Shift-JIS bytes.
#include <array>
#include <string_view>

#include "core/params/display_settings.h"

namespace plotxfer::params {

// "ペン1" .. "ペン12": pen n takes palette and width entry n-1.
inline constexpr std::array<std::string_view, kPenCount> kPenNames = {
    "\x83\x79\x83\x93"
    "1",
    "\x83\x79\x83\x93"
    "2",
    "\x83\x79\x83\x93"
    "3",
    "\x83\x79\x83\x93"
    "4",
    "\x83\x79\x83\x93"
    "5",
    "\x83\x79\x83\x93"
    "6",
    "\x83\x79\x83\x93"
    "7",
    "\x83\x79\x83\x93"
    "8",
    "\x83\x79\x83\x93"
    "9",
    "\x83\x79\x83\x93"
    "10",
    "\x83\x79\x83\x93"
    "11",
    "\x83\x79\x83\x93"
    "12",
};

// By line type: "破線", "一点鎖線", "二点鎖線", "点線", "補助線".
inline constexpr std::array<std::string_view, kLineTypeCount> kLineTypeNames = {
    "\x94\x6A\x90\xFC", "\x88\xEA\x93\x5F\x8D\xBD\x90\xFC", "\x93\xF1\x93\x5F\x8D\xBD\x90\xFC",
    "\x93\x5F\x90\xFC", "\x95\xE2\x8F\x95\x90\xFC",
};

// A name longer than this is no item name of ours.
inline constexpr std::size_t kMaxItemNameBytes = 11;

}  // namespace plotxfer::params
