#pragma once
// The procedure `Main`: the frame with its menu, toolbar, title and status
// bar. It settles the department at start, shows the About box as a splash,
// starts every other procedure from its menu and toolbar, and ends the
// program when it closes.
namespace vornel::app {

class Program;

void RunMain(Program& program);

}  // namespace vornel::app
