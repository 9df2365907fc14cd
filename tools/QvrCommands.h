#pragma once
class QCommandLineParser;

void AddCommandOptions(QCommandLineParser &parser);
// Runs the command named by the first argument; answers the exit code.
int RunCommand(const QCommandLineParser &parser);
