#pragma once
// The program's standard streams as the system has them.

namespace cli {

bool StdinIsTerminal();
bool StderrIsTerminal();
// Standard output carries the export's bytes unchanged (no line-end translation).
void PrepareStandardStreams();

}  // namespace cli
