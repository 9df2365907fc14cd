#pragma once

// The options a program answers before it makes its application object, so
// they need no display and ask no password: a single argument "--help", "-h",
// "--version" or "-v". Anything else is left to the program (for Quivora, the
// arguments joined name the file to open). Answers the exit code after
// printing, or -1 when the arguments are not such an option.
// `program` is the command's name, `usage` the text after the usage line.
int AnswerProgramOption(int argc, const char *const *argv, const char *program,
                        const char *usage);

// Quivora's own usage text.
extern const char QuivoraUsage[];
