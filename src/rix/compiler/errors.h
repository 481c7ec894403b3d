// The error codes of the RIX compiler and runtime, with their messages, from one list. The
// numbers are part of the image (error_code) and of the report line, so an entry never changes
// its number; a new error is one line at the end.
#pragma once

#include <cstdint>

namespace rokan {

// X(name, code, message): the message is UTF-8 and holds at most one conversion (%s, %d or
// %.3lf), filled in by rix_error_message.
#define ROKAN_RIX_ERRORS(X)                                                                        \
  X(kNone, 0, "")                                                /* no error */                    \
  X(kPathTooLong, 1, "ファイル名（フォルダ名含む）が長過ぎます") /* source path over the limit */  \
  X(kSourceOpen, 2, "RIXソースファイルが開けません(%s)")   /* source file missing or unreadable */ \
  X(kFormalOpen, 3, "RIX中間言語ファイルが開けません(%s)") /* FORMAL.TMP cannot be opened */       \
  X(kLabelOpen, 4, "RIXラベル一覧ファイルが開けません(%s)")   /* LABEL.TMP cannot be written */    \
  X(kVariableOpen, 5, "変数テーブルファイルが開けません(%s)") /* VARIABLE.TMP open or write */     \
  X(kWarningOpen, 6, "警告ログファイルが開けません(%s)")      /* WARNING.LOG cannot be opened */   \
  X(kVersion, 7, "バージョン番号不一致(≠ %.3lf)")             /* first line is not this version */ \
  X(kWrite, 8, "ファイル書き込み不可(%s).")                   /* a write to FORMAL.TMP failed */   \
  X(kManyCommands, 9, "複数コマンドが一行に混在しています")   /* two commands on one line */       \
  X(kNoEnd, 10, "'END'コマンドが存在しません.")               /* the program has no END */         \
  X(kFormat, 11, "Format error(%s).")                         /* a statement does not parse */     \
  X(kMemory, 12, "Not enough memory.") /* the image has no room for the labels */                  \
  X(kLabelRead, 13, "ラベル一覧ファイルが読めません(%s)")      /* LABEL.TMP cannot be read back */ \
  X(kDuplicateLabel, 14, "多重ラベル定義エラー")               /* one label defined twice */       \
  X(kProgramMemory, 15, "Not enough memory for user program.") /* too many statements */           \
  X(kVariableMemory, 16, "Not enough memory for variable table.")         /* too many variables */ \
  X(kControlMemory, 17, "Not enough memory for control statement stack.") /* blocks too deep */    \
  X(kStringTooLong, 18, "文字列が長過ぎます > (%d)byte.") /* a message over its slot */            \
  X(kVarUnassigned, 19, "汎用型変数(%s)は参照されるが代入されていない") /* VAR read, never set */  \
  X(kPosUnassigned, 20, "座標型変数(%s)は参照されるが代入されていない") /* POS read, never set */  \
  X(kJntUnassigned, 21, "関節型変数(%s)は参照されるが代入されていない") /* JNT read, never set */  \
  X(kUnknownCommand, 22, "Unknown command(%s).")   /* a word that is no command */                 \
  X(kDomain, 23, "Domain Error.")                  /* a value outside what the command accepts */  \
  X(kTarget, 24, "Target Error.")                  /* a target the command cannot take */          \
  X(kNoSuchLabel, 25, "ラベル(%s)は存在しません.") /* jump to an undefined label */                \
  X(kCondition, 26, "条件式書式エラー")            /* a condition does not parse */                \
  X(kExpression, 27, "数式書式エラー")             /* an expression does not parse */              \
  X(kStepNumber, 28, "ステップ番号が異常です(max = %d)") /* pc outside the program */              \
  X(kNotImplemented, 29, "未実装(%s)")               /* a command this controller does not have */ \
  X(kArgument, 30, "引数が正しくありません")         /* wrong arguments */                         \
  X(kVariableType, 31, "変数の型が正しくありません") /* a variable of the wrong kind */            \
  X(kEventFlag, 32, "未定義のEVENT_FLAGです")        /* an event flag that does not exist */       \
  X(kUndefinedTarget, 33, "未定義のTARGETです")      /* a target that does not exist */            \
  X(kMode, 34, "動作モードが不適当です")             /* the robot is in the wrong mode */          \
  X(kHeap, 35, "メモリのヒープ領域が破壊されました(要debug)")     /* internal: heap damaged */     \
  X(kGosubDepth, 36, "サブルーチンコールのネストが深すぎます")    /* GOSUB nested too deep */      \
  X(kReturnMismatch, 37, "GOSUBとRETURNの対応が正しくありません") /* RETURN without GOSUB */       \
  X(kGosubStack, 38,                                                                               \
    "GOSUB/RETURN用スタック領域に不正なデータが存在します(要debug)") /* internal */                \
  X(kSevere, 39, "深刻なエラーです(要debug)")           /* internal: a state that cannot happen */ \
  X(kUndeclared, 40, "未定義(DEF_\?\?\?)の変数です．")  /* a variable never declared */            \
  X(kNameTooLong, 41, "変数名の長さが長過ぎます(<=%d)") /* variable name over the limit */         \
  X(kDuplicateVariable, 42, "同じ名前の変数が複数宣言されています(%s)．") /* declared twice */     \
  X(kIfMismatch, 43, "IF_THEN_ELSE_ENDIFの対応が正しくありません．")      /* unpaired IF block */  \
  X(kWhileMismatch, 44, "WHILE-WENDの対応が正しくありません．")       /* unpaired WHILE block */   \
  X(kRepeatMismatch, 45, "REPEAT-UNTILの対応が正しくありません．")    /* unpaired REPEAT block */  \
  X(kForMismatch, 46, "FOR-NEXTの対応が正しくありません．")           /* unpaired FOR block */     \
  X(kSubroutineStart, 47, "SUBROUTINEの開始位置が正しくありません．") /* SUBROUTINE misplaced */   \
  X(kSubendMismatch, 48, "SUBROUTINE-SUBENDの対応が正しくありません．") /* unpaired SUBEND */      \
  X(kSubroutineByGoto, 49, "サブルーチンがGOTOで呼び出された(%s)．")    /* GOTO to a SUBROUTINE */ \
  X(kCallNotSubroutine, 50, "CALLしているラベルはSUBROUTINEではない(%s)") /* CALL to a label */    \
  X(kSubroutineNotCalled, 51,                                                                      \
    "サブルーチンはCALL以外のコマンドで呼び出されました．")                 /* entered */          \
  X(kGotoIntoSubroutine, 52, "サブルーチン外から内へのGOTOは禁止です．")    /* jump in */          \
  X(kGotoOutOfSubroutine, 53, "サブルーチン内から外へのGOTOは禁止です．")   /* jump out */         \
  X(kJumpIntoFor, 54, "FOR-NEXTブロックへの不正なジャンプが発生しました．") /* into a FOR body */  \
  X(kUnclosedBlock, 55, "制御構文が閉じていません(ENDIFなど)") /* a block open at END */

enum class RixError : uint8_t {
#define ROKAN_RIX_ERROR_ENUM(name, code, message) name = code,
  ROKAN_RIX_ERRORS(ROKAN_RIX_ERROR_ENUM)
#undef ROKAN_RIX_ERROR_ENUM
};

// The numeric code, as the image and the reports carry it.
constexpr int rix_error_code(RixError e) {
  return static_cast<int>(e);
}

}  // namespace rokan
