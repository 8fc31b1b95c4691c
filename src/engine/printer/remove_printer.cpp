// The printer step.
#include "engine/printer/printer_remover.h"
#include "engine/uninstaller.h"

namespace engine {

void Uninstaller::RemovePrinter() {
    PrinterRemover remover(m_host);
    remover.Configure(m_strInstallPath, m_hProgress, 60, 75);
    remover.Run();
}

}  // namespace engine
