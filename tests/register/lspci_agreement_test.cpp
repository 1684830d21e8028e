// SPDX-License-Identifier: GPL-3.0-or-later
// The decoded tree beside pciutils' own decoding: lspci -vvv reads each of the tests' dumps, and
// every flag it prints ("ExtTag+", "PME-Enable-") and each value a row below names ("Speed
// 8GT/s") must agree with the field the tree decodes from the same bytes. A flag without a row
// is a field the tree does not decode, and fails as one.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

#include "config_space/dump_parser.h"
#include "config_space/function_tree.h"
#include "names/device_names.h"
#include "tests/register/lspci_rows_bus.h"
#include "tests/register/lspci_rows_link.h"
#include "tests/register/lspci_rows_sharing.h"
#include "tests/support/run_command.h"

namespace qbus::config_space {
namespace {

// clang-format off
constexpr FlagRow kFlags[] = {
    {"Header", "Control", "I/O", "Command", "I/O Space Enable"},
    {"Header", "Control", "Mem", "Command", "Memory Space Enable"},
    {"Header", "Control", "BusMaster", "Command", "Bus Master Enable"},
    {"Header", "Control", "SpecCycle", "Command", "Special Cycles"},
    {"Header", "Control", "MemWINV", "Command", "Memory Write and Invalidate Enable"},
    {"Header", "Control", "VGASnoop", "Command", "VGA Palette Snoop"},
    {"Header", "Control", "ParErr", "Command", "Parity Error Response"},
    {"Header", "Control", "Stepping", "Command", "IDSEL Stepping"},
    {"Header", "Control", "SERR", "Command", "SERR# Enable"},
    {"Header", "Control", "FastB2B", "Command", "Fast Back-to-Back Enable"},
    {"Header", "Control", "DisINTx", "Command", "Interrupt Disable"},
    {"Header", "Status", "Cap", "Status", "Capabilities List"},
    {"Header", "Status", "66MHz", "Status", "66 MHz Capable"},
    {"Header", "Status", "UDF", "Status", "Reserved (User-Definable Features)"},
    {"Header", "Status", "FastB2B", "Status", "Fast Back-to-Back Capable"},
    {"Header", "Status", "ParErr", "Status", "Master Data Parity Error"},
    {"Header", "Status", ">TAbort", "Status", "Signaled Target Abort"},
    {"Header", "Status", "<TAbort", "Status", "Received Target Abort"},
    {"Header", "Status", "<MAbort", "Status", "Received Master Abort"},
    {"Header", "Status", ">SERR", "Status", "Signaled System Error"},
    {"Header", "Status", "<PERR", "Status", "Detected Parity Error"},
    {"Header", "Status", "INTx", "Status", "Interrupt Status"},
    {"Header", "Secondary status", "66MHz", "Secondary Status", "66 MHz Capable"},
    {"Header", "Secondary status", "FastB2B", "Secondary Status", "Fast Back-to-Back Capable"},
    {"Header", "Secondary status", "ParErr", "Secondary Status", "Master Data Parity Error"},
    {"Header", "Secondary status", ">TAbort", "Secondary Status", "Signaled Target Abort"},
    {"Header", "Secondary status", "<TAbort", "Secondary Status", "Received Target Abort"},
    {"Header", "Secondary status", "<MAbort", "Secondary Status", "Received Master Abort"},
    {"Header", "Secondary status", "<SERR", "Secondary Status", "Received System Error"},
    {"Header", "Secondary status", "<PERR", "Secondary Status", "Detected Parity Error"},
    {"Header", "BridgeCtl", "Parity", "Bridge Control", "Parity Error Response Enable"},
    {"Header", "BridgeCtl", "SERR", "Bridge Control", "SERR# Enable"},
    {"Header", "BridgeCtl", "NoISA", "Bridge Control", "ISA Enable"},
    {"Header", "BridgeCtl", "ISA", "Bridge Control", "ISA Enable"},
    {"Header", "BridgeCtl", "VGA", "Bridge Control", "VGA Enable"},
    {"Header", "BridgeCtl", "VGA16", "Bridge Control", "VGA 16-bit Decode"},
    {"Header", "BridgeCtl", "MAbort", "Bridge Control", "Master Abort Mode"},
    {"Header", "BridgeCtl", ">Reset", "Bridge Control", "Secondary Bus Reset|CardBus Reset"},
    {"Header", "BridgeCtl", "FastB2B", "Bridge Control", "Fast Back-to-Back Enable"},
    {"Header", "BridgeCtl", "PriDiscTmr", "Bridge Control", "Primary Discard Timeout"},
    {"Header", "BridgeCtl", "SecDiscTmr", "Bridge Control", "Secondary Discard Timeout"},
    {"Header", "BridgeCtl", "DiscTmrStat", "Bridge Control", "Discard Timer Status"},
    {"Header", "BridgeCtl", "DiscTmrSERREn", "Bridge Control", "Discard Timer SERR# Enable"},
    {"Header", "BridgeCtl", "16bInt", "Bridge Control", "16-bit Interrupt Enable"},
    {"Header", "BridgeCtl", "PostWrite", "Bridge Control", "Write Posting Enable"},

    {"Power Management", "Flags", "PMEClk", "Capabilities", "PME Clock"},
    {"Power Management", "Flags", "DSI", "Capabilities", "Device Specific Initialization"},
    {"Power Management", "Flags", "D1", "Capabilities", "D1 Support"},
    {"Power Management", "Flags", "D2", "Capabilities", "D2 Support"},
    {"Power Management", "Flags", "PME_D0", "Capabilities", "PME Support D0"},
    {"Power Management", "Flags", "PME_D1", "Capabilities", "PME Support D1"},
    {"Power Management", "Flags", "PME_D2", "Capabilities", "PME Support D2"},
    {"Power Management", "Flags", "PME_D3hot", "Capabilities", "PME Support D3hot"},
    {"Power Management", "Flags", "PME_D3cold", "Capabilities", "PME Support D3cold"},
    {"Power Management", "Status", "NoSoftRst", "Control/Status", "No Soft Reset"},
    {"Power Management", "Status", "PME-Enable", "Control/Status", "PME Enable"},
    {"Power Management", "Status", "PME", "Control/Status", "PME Status"},

    {"MSI", "", "Enable", "Message Control", "MSI Enable"},
    {"MSI", "", "Maskable", "Message Control", "Per-Vector Masking Capable"},
    {"MSI", "", "64bit", "Message Control", "64-bit Address Capable"},
    {"MSI-X", "", "Enable", "Message Control", "MSI-X Enable"},
    {"MSI-X", "", "Masked", "Message Control", "Function Mask"},

    {"PCI Express", "", "Slot", "Capabilities", "Slot Implemented"},
    {"PCI Express", "DevCap", "ExtTag", "Device Capabilities", "Extended Tag Field Supported"},
    {"PCI Express", "DevCap", "AttnBtn", "Device Capabilities", "Attention Button Present (PCI Express 1.0)"},
    {"PCI Express", "DevCap", "AttnInd", "Device Capabilities", "Attention Indicator Present (PCI Express 1.0)"},
    {"PCI Express", "DevCap", "PwrInd", "Device Capabilities", "Power Indicator Present (PCI Express 1.0)"},
    {"PCI Express", "DevCap", "RBE", "Device Capabilities", "Role-Based Error Reporting"},
    {"PCI Express", "DevCap", "FLReset", "Device Capabilities", "Function Level Reset Capability"},
    {"PCI Express", "DevCtl", "CorrErr", "Device Control", "Correctable Error Reporting Enable"},
    {"PCI Express", "DevCtl", "NonFatalErr", "Device Control", "Non-Fatal Error Reporting Enable"},
    {"PCI Express", "DevCtl", "FatalErr", "Device Control", "Fatal Error Reporting Enable"},
    {"PCI Express", "DevCtl", "UnsupReq", "Device Control", "Unsupported Request Reporting Enable"},
    {"PCI Express", "DevCtl", "RlxdOrd", "Device Control", "Enable Relaxed Ordering"},
    {"PCI Express", "DevCtl", "ExtTag", "Device Control", "Extended Tag Field Enable"},
    {"PCI Express", "DevCtl", "PhantFunc", "Device Control", "Phantom Functions Enable"},
    {"PCI Express", "DevCtl", "AuxPwr", "Device Control", "Aux Power PM Enable"},
    {"PCI Express", "DevCtl", "NoSnoop", "Device Control", "Enable No Snoop"},
    {"PCI Express", "DevCtl", "FLReset", "Device Control", "Bridge Configuration Retry Enable / Initiate Function Level Reset"},
    {"PCI Express", "DevCtl", "BrConfRtry", "Device Control", "Bridge Configuration Retry Enable / Initiate Function Level Reset"},
    {"PCI Express", "DevSta", "CorrErr", "Device Status", "Correctable Error Detected"},
    {"PCI Express", "DevSta", "NonFatalErr", "Device Status", "Non-Fatal Error Detected"},
    {"PCI Express", "DevSta", "FatalErr", "Device Status", "Fatal Error Detected"},
    {"PCI Express", "DevSta", "UnsupReq", "Device Status", "Unsupported Request Detected"},
    {"PCI Express", "DevSta", "AuxPwr", "Device Status", "Aux Power Detected"},
    {"PCI Express", "DevSta", "TransPend", "Device Status", "Transactions Pending"},
    {"PCI Express", "LnkCap", "ClockPM", "Link Capabilities", "Clock Power Management"},
    {"PCI Express", "LnkCap", "Surprise", "Link Capabilities", "Surprise Down Error Reporting Capable"},
    {"PCI Express", "LnkCap", "LLActRep", "Link Capabilities", "Data Link Layer Link Active Reporting Capable"},
    {"PCI Express", "LnkCap", "BwNot", "Link Capabilities", "Link Bandwidth Notification Capability"},
    {"PCI Express", "LnkCap", "ASPMOptComp", "Link Capabilities", "ASPM Optionality Compliance"},
    {"PCI Express", "LnkCtl", "Disabled", "Link Control", "Link Disable"},
    {"PCI Express", "LnkCtl", "CommClk", "Link Control", "Common Clock Configuration"},
    {"PCI Express", "LnkCtl", "ExtSynch", "Link Control", "Extended Synch"},
    {"PCI Express", "LnkCtl", "ClockPM", "Link Control", "Enable Clock Power Management"},
    {"PCI Express", "LnkCtl", "AutWidDis", "Link Control", "Hardware Autonomous Width Disable"},
    {"PCI Express", "LnkCtl", "BWInt", "Link Control", "Link Bandwidth Management Interrupt Enable"},
    {"PCI Express", "LnkCtl", "AutBWInt", "Link Control", "Link Autonomous Bandwidth Interrupt Enable"},
    {"PCI Express", "LnkSta", "TrErr", "Link Status", "Reserved (Link Training Error)"},
    {"PCI Express", "LnkSta", "Train", "Link Status", "Link Training"},
    {"PCI Express", "LnkSta", "SlotClk", "Link Status", "Slot Clock Configuration"},
    {"PCI Express", "LnkSta", "DLActive", "Link Status", "Data Link Layer Link Active"},
    {"PCI Express", "LnkSta", "BWMgmt", "Link Status", "Link Bandwidth Management Status"},
    {"PCI Express", "LnkSta", "ABWMgmt", "Link Status", "Link Autonomous Bandwidth Status"},
    {"PCI Express", "SltCap", "AttnBtn", "Slot Capabilities", "Attention Button Present"},
    {"PCI Express", "SltCap", "PwrCtrl", "Slot Capabilities", "Power Controller Present"},
    {"PCI Express", "SltCap", "MRL", "Slot Capabilities", "MRL Sensor Present"},
    {"PCI Express", "SltCap", "AttnInd", "Slot Capabilities", "Attention Indicator Present"},
    {"PCI Express", "SltCap", "PwrInd", "Slot Capabilities", "Power Indicator Present"},
    {"PCI Express", "SltCap", "HotPlug", "Slot Capabilities", "Hot-Plug Capable"},
    {"PCI Express", "SltCap", "Surprise", "Slot Capabilities", "Hot-Plug Surprise"},
    {"PCI Express", "SltCap", "Interlock", "Slot Capabilities", "Electromechanical Interlock Present"},
    {"PCI Express", "SltCap", "NoCompl", "Slot Capabilities", "No Command Completed Support"},
    {"PCI Express", "SltCtl Enable", "AttnBtn", "Slot Control", "Attention Button Pressed Enable"},
    {"PCI Express", "SltCtl Enable", "PwrFlt", "Slot Control", "Power Fault Detected Enable"},
    {"PCI Express", "SltCtl Enable", "MRL", "Slot Control", "MRL Sensor Changed Enable"},
    {"PCI Express", "SltCtl Enable", "PresDet", "Slot Control", "Presence Detect Changed Enable"},
    {"PCI Express", "SltCtl Enable", "CmdCplt", "Slot Control", "Command Completed Interrupt Enable"},
    {"PCI Express", "SltCtl Enable", "HPIrq", "Slot Control", "Hot-Plug Interrupt Enable"},
    {"PCI Express", "SltCtl Enable", "LinkChg", "Slot Control", "Data Link Layer State Changed Enable"},
    {"PCI Express", "SltCtl Control", "Power", "Slot Control", "Power Controller Control"},
    {"PCI Express", "SltCtl Control", "Interlock", "Slot Control", "Electromechanical Interlock Control"},
    {"PCI Express", "SltSta Status", "AttnBtn", "Slot Status", "Attention Button Pressed"},
    {"PCI Express", "SltSta Status", "PowerFlt", "Slot Status", "Power Fault Detected"},
    {"PCI Express", "SltSta Status", "MRL", "Slot Status", "MRL Sensor State"},
    {"PCI Express", "SltSta Status", "CmdCplt", "Slot Status", "Command Completed"},
    {"PCI Express", "SltSta Status", "PresDet", "Slot Status", "Presence Detect State"},
    {"PCI Express", "SltSta Status", "Interlock", "Slot Status", "Electromechanical Interlock Status"},
    {"PCI Express", "SltSta Changed", "MRL", "Slot Status", "MRL Sensor Changed"},
    {"PCI Express", "SltSta Changed", "PresDet", "Slot Status", "Presence Detect Changed"},
    {"PCI Express", "SltSta Changed", "LinkState", "Slot Status", "Data Link Layer State Changed"},
    {"PCI Express", "RootCap", "CRSVisible", "Root Capabilities", "CRS Software Visibility"},
    {"PCI Express", "RootCtl", "ErrCorrectable", "Root Control", "System Error on Correctable Error Enable"},
    {"PCI Express", "RootCtl", "ErrNon-Fatal", "Root Control", "System Error on Non-Fatal Error Enable"},
    {"PCI Express", "RootCtl", "ErrFatal", "Root Control", "System Error on Fatal Error Enable"},
    {"PCI Express", "RootCtl", "PMEIntEna", "Root Control", "PME Interrupt Enable"},
    {"PCI Express", "RootCtl", "CRSVisible", "Root Control", "CRS Software Visibility Enable"},
    {"PCI Express", "RootSta", "PMEStatus", "Root Status", "PME Status"},
    {"PCI Express", "RootSta", "PMEPending", "Root Status", "PME Pending"},
    {"PCI Express", "DevCap2 Timeout", "TimeoutDis", "Device Capabilities 2", "Completion Timeout Disable Supported"},
    {"PCI Express", "DevCap2 Timeout", "NROPrPrP", "Device Capabilities 2", "No RO-enabled PR-PR Passing"},
    {"PCI Express", "DevCap2 Timeout", "LTR", "Device Capabilities 2", "LTR Mechanism Supported"},
    {"PCI Express", "DevCap2 Timeout", "10BitTagComp", "Device Capabilities 2", "10-Bit Tag Completer Supported"},
    {"PCI Express", "DevCap2 Timeout", "10BitTagReq", "Device Capabilities 2", "10-Bit Tag Requester Supported"},
    {"PCI Express", "DevCap2 Timeout", "ExtFmt", "Device Capabilities 2", "Extended Fmt Field Supported"},
    {"PCI Express", "DevCap2 Timeout", "EETLPPrefix", "Device Capabilities 2", "End-End TLP Prefix Supported"},
    {"PCI Express", "DevCap2 Timeout", "EmergencyPowerReductionInit", "Device Capabilities 2", "Emergency Power Reduction Initialization Required"},
    {"PCI Express", "DevCap2 Timeout", "FRS", "Device Capabilities 2", "FRS Supported"},
    {"PCI Express", "DevCap2 Timeout", "TPHComp", "Device Capabilities 2", "TPH Completer Supported"},
    {"PCI Express", "DevCap2 Timeout", "ExtTPHComp", "Device Capabilities 2", "Extended TPH Completer Supported"},
    {"PCI Express", "DevCap2 Timeout", "ARIFwd", "Device Capabilities 2", "ARI Forwarding Supported"},
    {"PCI Express", "DevCap2 AtomicOpsCap", "Routing", "Device Capabilities 2", "AtomicOp Routing Supported"},
    {"PCI Express", "DevCap2 AtomicOpsCap", "32bit", "Device Capabilities 2", "32-bit AtomicOp Completer Supported"},
    {"PCI Express", "DevCap2 AtomicOpsCap", "64bit", "Device Capabilities 2", "64-bit AtomicOp Completer Supported"},
    {"PCI Express", "DevCap2 AtomicOpsCap", "128bitCAS", "Device Capabilities 2", "128-bit CAS Completer Supported"},
    {"PCI Express", "DevCtl2 Timeout", "TimeoutDis", "Device Control 2", "Completion Timeout Disable"},
    {"PCI Express", "DevCtl2 Timeout", "LTR", "Device Control 2", "LTR Mechanism Enable"},
    {"PCI Express", "DevCtl2 Timeout", "10BitTagReq", "Device Control 2", "10-Bit Tag Requester Enable"},
    {"PCI Express", "DevCtl2 Timeout", "ARIFwd", "Device Control 2", "ARI Forwarding Enable"},
    {"PCI Express", "DevCtl2 AtomicOpsCtl", "ReqEn", "Device Control 2", "AtomicOp Requester Enable"},
    {"PCI Express", "DevCtl2 AtomicOpsCtl", "EgressBlck", "Device Control 2", "AtomicOp Egress Blocking"},
    {"PCI Express", "LnkCap2 Speeds", "Crosslink", "Link Capabilities 2", "Crosslink Supported"},
    {"PCI Express", "LnkCap2 Speeds", "Retimer", "Link Capabilities 2", "Retimer Presence Detect Supported"},
    {"PCI Express", "LnkCap2 Speeds", "2Retimers", "Link Capabilities 2", "Two Retimers Presence Detect Supported"},
    {"PCI Express", "LnkCap2 Speeds", "DRS", "Link Capabilities 2", "DRS Supported"},
    {"PCI Express", "LnkCtl2 Speed", "EnterCompliance", "Link Control 2", "Enter Compliance"},
    {"PCI Express", "LnkCtl2 Speed", "SpeedDis", "Link Control 2", "Hardware Autonomous Speed Disable"},
    {"PCI Express", "LnkCtl2 Margin", "EnterModifiedCompliance", "Link Control 2", "Enter Modified Compliance"},
    {"PCI Express", "LnkCtl2 Margin", "ComplianceSOS", "Link Control 2", "Compliance SOS"},
    {"PCI Express", "LnkSta2 Level", "EqualizationComplete", "Link Status 2", "Equalization 8.0 GT/s Complete"},
    {"PCI Express", "LnkSta2 Level", "EqualizationPhase1", "Link Status 2", "Equalization 8.0 GT/s Phase 1 Successful"},
    {"PCI Express", "LnkSta2 Level", "EqualizationPhase2", "Link Status 2", "Equalization 8.0 GT/s Phase 2 Successful"},
    {"PCI Express", "LnkSta2 Level", "EqualizationPhase3", "Link Status 2", "Equalization 8.0 GT/s Phase 3 Successful"},
    {"PCI Express", "LnkSta2 Level", "LinkEqualizationRequest", "Link Status 2", "Link Equalization Request 8.0 GT/s"},
    {"PCI Express", "LnkSta2 Level", "Retimer", "Link Status 2", "Retimer Presence Detected"},
    {"PCI Express", "LnkSta2 Level", "2Retimers", "Link Status 2", "Two Retimers Presence Detected"},
    {"PCI Express", "LnkSta2 CrosslinkRes", "DRS", "Link Status 2", "DRS Message Received"},

    {"Advanced Error Reporting", "RootCmd", "CERptEn", "Root Error Command", "Correctable Error Reporting Enable"},
    {"Advanced Error Reporting", "RootCmd", "NFERptEn", "Root Error Command", "Non-Fatal Error Reporting Enable"},
    {"Advanced Error Reporting", "RootCmd", "FERptEn", "Root Error Command", "Fatal Error Reporting Enable"},
    {"Advanced Error Reporting", "RootSta", "CERcvd", "Root Error Status", "ERR_COR Received"},
    {"Advanced Error Reporting", "RootSta", "MultCERcvd", "Root Error Status", "Multiple ERR_COR Received"},
    {"Advanced Error Reporting", "RootSta", "UERcvd", "Root Error Status", "ERR_FATAL/NONFATAL Received"},
    {"Advanced Error Reporting", "RootSta", "MultUERcvd", "Root Error Status", "Multiple ERR_FATAL/NONFATAL Received"},
    {"Advanced Error Reporting", "RootSta", "FirstFatal", "Root Error Status", "First Uncorrectable Fatal"},
    {"Advanced Error Reporting", "RootSta", "NonFatalMsg", "Root Error Status", "Non-Fatal Error Messages Received"},
    {"Advanced Error Reporting", "RootSta", "FatalMsg", "Root Error Status", "Fatal Error Messages Received"},
    {"Advanced Error Reporting", "AERCap Pointer", "ECRCGenCap", "Advanced Error Capabilities and Control", "ECRC Generation Capable"},
    {"Advanced Error Reporting", "AERCap Pointer", "ECRCGenEn", "Advanced Error Capabilities and Control", "ECRC Generation Enable"},
    {"Advanced Error Reporting", "AERCap Pointer", "ECRCChkCap", "Advanced Error Capabilities and Control", "ECRC Check Capable"},
    {"Advanced Error Reporting", "AERCap Pointer", "ECRCChkEn", "Advanced Error Capabilities and Control", "ECRC Check Enable"},
    {"Advanced Error Reporting", "AERCap Pointer", "MultHdrRecCap", "Advanced Error Capabilities and Control", "Multiple Header Recording Capable"},
    {"Advanced Error Reporting", "AERCap Pointer", "MultHdrRecEn", "Advanced Error Capabilities and Control", "Multiple Header Recording Enable"},
    {"Advanced Error Reporting", "AERCap Pointer", "TLPPfxPres", "Advanced Error Capabilities and Control", "TLP Prefix Log Present"},
    {"Advanced Error Reporting", "AERCap Pointer", "HdrLogCap", "Advanced Error Capabilities and Control", "Completion Timeout Prefix/Header Log Capable"},

    {"Access Control Services", "ACSCap", "SrcValid", "ACS Capability", "Source Validation"},
    {"Access Control Services", "ACSCap", "TransBlk", "ACS Capability", "Translation Blocking"},
    {"Access Control Services", "ACSCap", "ReqRedir", "ACS Capability", "P2P Request Redirect"},
    {"Access Control Services", "ACSCap", "CmpltRedir", "ACS Capability", "P2P Completion Redirect"},
    {"Access Control Services", "ACSCap", "UpstreamFwd", "ACS Capability", "Upstream Forwarding"},
    {"Access Control Services", "ACSCap", "EgressCtrl", "ACS Capability", "P2P Egress Control"},
    {"Access Control Services", "ACSCap", "DirectTrans", "ACS Capability", "Direct Translated P2P"},
    {"Access Control Services", "ACSCtl", "SrcValid", "ACS Control", "Source Validation Enable"},
    {"Access Control Services", "ACSCtl", "TransBlk", "ACS Control", "Translation Blocking Enable"},
    {"Access Control Services", "ACSCtl", "ReqRedir", "ACS Control", "P2P Request Redirect Enable"},
    {"Access Control Services", "ACSCtl", "CmpltRedir", "ACS Control", "P2P Completion Redirect Enable"},
    {"Access Control Services", "ACSCtl", "UpstreamFwd", "ACS Control", "Upstream Forwarding Enable"},
    {"Access Control Services", "ACSCtl", "EgressCtrl", "ACS Control", "P2P Egress Control Enable"},
    {"Access Control Services", "ACSCtl", "DirectTrans", "ACS Control", "Direct Translated P2P Enable"},

    {"Downstream Port Containment", "DpcCap", "RPExt", "DPC Capability", "RP Extensions for DPC"},
    {"Downstream Port Containment", "DpcCap", "PoisonedTLP", "DPC Capability", "Poisoned TLP Egress Blocking Supported"},
    {"Downstream Port Containment", "DpcCap", "SwTrigger", "DPC Capability", "DPC Software Triggering Supported"},
    {"Downstream Port Containment", "DpcCap", "DL_ActiveErr", "DPC Capability", "DL_Active ERR_COR Signaling Supported"},
    {"Downstream Port Containment", "DpcCtl", "Cmpl", "DPC Control", "DPC Completion Control"},
    {"Downstream Port Containment", "DpcCtl", "INT", "DPC Control", "DPC Interrupt Enable"},
    {"Downstream Port Containment", "DpcCtl", "ErrCor", "DPC Control", "DPC ERR_COR Enable"},
    {"Downstream Port Containment", "DpcCtl", "PoisonedTLP", "DPC Control", "Poisoned TLP Egress Blocking Enable"},
    {"Downstream Port Containment", "DpcCtl", "SwTrigger", "DPC Control", "DPC Software Trigger"},
    {"Downstream Port Containment", "DpcCtl", "DL_ActiveErr", "DPC Control", "DL_Active ERR_COR Enable"},
    {"Downstream Port Containment", "DpcSta", "Trigger", "DPC Status", "DPC Trigger Status"},
    {"Downstream Port Containment", "DpcSta", "INT", "DPC Status", "DPC Interrupt Status"},
    {"Downstream Port Containment", "DpcSta", "RPBusy", "DPC Status", "DPC RP Busy"},

    {"L1 PM Substates", "L1SubCap", "PCI-PM_L1.2", "L1 PM Substates Capabilities", "PCI-PM L1.2 Supported"},
    {"L1 PM Substates", "L1SubCap", "PCI-PM_L1.1", "L1 PM Substates Capabilities", "PCI-PM L1.1 Supported"},
    {"L1 PM Substates", "L1SubCap", "ASPM_L1.2", "L1 PM Substates Capabilities", "ASPM L1.2 Supported"},
    {"L1 PM Substates", "L1SubCap", "ASPM_L1.1", "L1 PM Substates Capabilities", "ASPM L1.1 Supported"},
    {"L1 PM Substates", "L1SubCap", "L1_PM_Substates", "L1 PM Substates Capabilities", "L1 PM Substates Supported"},
    {"L1 PM Substates", "L1SubCtl1", "PCI-PM_L1.2", "L1 PM Substates Control 1", "PCI-PM L1.2 Enable"},
    {"L1 PM Substates", "L1SubCtl1", "PCI-PM_L1.1", "L1 PM Substates Control 1", "PCI-PM L1.1 Enable"},
    {"L1 PM Substates", "L1SubCtl1", "ASPM_L1.2", "L1 PM Substates Control 1", "ASPM L1.2 Enable"},
    {"L1 PM Substates", "L1SubCtl1", "ASPM_L1.1", "L1 PM Substates Control 1", "ASPM L1.1 Enable"},

    {"Precision Time Measurement", "PTMCap", "Requester:", "PTM Capability", "PTM Requester Capable"},
    {"Precision Time Measurement", "PTMCap", "Responder:", "PTM Capability", "PTM Responder Capable"},
    {"Precision Time Measurement", "PTMCap", "Root:", "PTM Capability", "PTM Root Capable"},
    {"Precision Time Measurement", "PTMControl", "Enabled:", "PTM Control", "PTM Enable"},
    {"Precision Time Measurement", "PTMControl", "RootSelected:", "PTM Control", "Root Select"},

    {"Secondary PCI Express", "LnkCtl3", "LnkEquIntrruptEn", "Link Control 3", "Link Equalization Request Interrupt Enable"},
    {"Secondary PCI Express", "LnkCtl3", "PerformEqu", "Link Control 3", "Perform Equalization"},

    {"Data Object Exchange", "DOECap", "IntSup", "DOE Capabilities", "DOE Interrupt Support"},
    {"Data Object Exchange", "DOECtl", "IntEn", "DOE Control", "DOE Interrupt Enable"},
    {"Data Object Exchange", "DOESta", "Busy", "DOE Status", "DOE Busy"},
    {"Data Object Exchange", "DOESta", "IntSta", "DOE Status", "DOE Interrupt Status"},
    {"Data Object Exchange", "DOESta", "Error", "DOE Status", "DOE Error"},
    {"Data Object Exchange", "DOESta", "ObjectReady", "DOE Status", "Data Object Ready"},
};

// The AER error bits lspci prints under five keys, each the same field names.
constexpr std::pair<const char*, const char*> kUncorrectable[] = {
    {"DLP", "Data Link Protocol Error"}, {"SDES", "Surprise Down Error"},
    {"TLP", "Poisoned TLP"}, {"FCP", "Flow Control Protocol Error"},
    {"CmpltTO", "Completion Timeout"}, {"CmpltAbrt", "Completer Abort"},
    {"UnxCmplt", "Unexpected Completion"}, {"RxOF", "Receiver Overflow"},
    {"MalfTLP", "Malformed TLP"}, {"ECRC", "ECRC Error"},
    {"UnsupReq", "Unsupported Request Error"}, {"ACSViol", "ACS Violation"},
};
constexpr std::pair<const char*, const char*> kCorrectable[] = {
    {"RxErr", "Receiver Error"}, {"BadTLP", "Bad TLP"}, {"BadDLLP", "Bad DLLP"},
    {"Rollover", "REPLAY_NUM Rollover"}, {"Timeout", "Replay Timer Timeout"},
    {"AdvNonFatalErr", "Advisory Non-Fatal Error"},
};
constexpr std::pair<const char*, const char*> kErrorKeys[] = {
    {"UESta", "Uncorrectable Error Status"}, {"UEMsk", "Uncorrectable Error Mask"},
    {"UESvrt", "Uncorrectable Error Severity"}, {"CESta", "Correctable Error Status"},
    {"CEMsk", "Correctable Error Mask"},
};

constexpr ValueRow kValues[] = {
    {"Header", "Bus", "primary=([0-9a-f]+)", "Primary Bus Number|PCI Bus Number", "", Compare::kHex},
    {"Header", "Bus", "secondary=([0-9a-f]+)", "Secondary Bus Number|CardBus Bus Number", "", Compare::kHex},
    {"Header", "Bus", "subordinate=([0-9a-f]+)", "Subordinate Bus Number", "", Compare::kHex},
    {"Power Management", "Status", "^\\s*(D[0-3]\\w*)", "Control/Status", "Power State (D0 to D3hot)", Compare::kMeaning},
    {"Power Management", "Status", "DSel=(\\d+)", "Control/Status", "Data Select", Compare::kDecimal},
    {"MSI", "", "Count=\\d+/(\\d+)", "Message Control", "Multiple Message Capable", Compare::kLeadingNumber},
    {"MSI", "", "Count=(\\d+)/", "Message Control", "Multiple Message Enable", Compare::kLeadingNumber},
    {"MSI-X", "", "Count=(\\d+)", "Message Control", "Table Size", Compare::kLeadingNumber},
    {"PCI Express", "DevCap", "MaxPayload (\\d+ bytes)", "Device Capabilities", "Max Payload Size Supported", Compare::kMeaning},
    {"PCI Express", "DevCtl", "MaxPayload (\\d+ bytes)", "Device Control", "Max Payload Size", Compare::kMeaning},
    {"PCI Express", "DevCtl", "MaxReadReq (\\d+ bytes)", "Device Control", "Max Read Request Size", Compare::kMeaning},
    {"PCI Express", "LnkCap", "Port #(\\d+)", "Link Capabilities", "Port Number", Compare::kDecimal},
    {"PCI Express", "LnkCap", "Speed ([0-9.]+GT/s)", "Link Capabilities", "Max Link Speed", Compare::kMeaning},
    {"PCI Express", "LnkCap", "Width (x\\d+)", "Link Capabilities", "Maximum Link Width", Compare::kMeaning},
    {"PCI Express", "LnkSta", "Speed ([0-9.]+GT/s)", "Link Status", "Current Link Speed", Compare::kMeaning},
    {"PCI Express", "LnkSta", "Width (x\\d+)", "Link Status", "Negotiated Link Width", Compare::kMeaning},
    {"PCI Express", "RootSta", "PME ReqID ([0-9a-f]+)", "Root Status", "PME Requester ID", Compare::kHex},
    {"PCI Express", "DevCap2", "Completion Timeout: (Range \\w+|Not Supported)", "Device Capabilities 2", "Completion Timeout Ranges Supported", Compare::kMeaning},
    {"PCI Express", "DevCtl2", "Completion Timeout: (\\d+[mu]?s to \\d+[mu]?s)", "Device Control 2", "Completion Timeout Value", Compare::kMeaning},
    {"PCI Express", "LnkCtl2", "Target Link Speed: ([0-9.]+GT/s)", "Link Control 2", "Target Link Speed", Compare::kMeaning},
    {"Advanced Error Reporting", "AERCap", "First Error Pointer: ([0-9a-f]+)", "Advanced Error Capabilities and Control", "First Error Pointer", Compare::kHex},
    {"Downstream Port Containment", "DpcCap", "INT Msg #(\\d+)", "DPC Capability", "DPC Interrupt Message Number", Compare::kDecimal},
    {"Downstream Port Containment", "DpcCtl", "Trigger:(\\d+)", "DPC Control", "DPC Trigger Enable", Compare::kDecimal},
    {"Downstream Port Containment", "DpcSta", "ErrPtr:([0-9a-f]+)", "DPC Status", "RP PIO First Error Pointer", Compare::kHex},
    {"Downstream Port Containment", "Source", "([0-9a-f]{4})", "DPC Error Source ID", "", Compare::kHex},
    {"Latency Tolerance Reporting", "Max snoop latency", "(\\d+)ns", "Max Snoop Latency", "Latency Value", Compare::kLeadingNumber},
    {"Latency Tolerance Reporting", "Max no snoop latency", "(\\d+)ns", "Max No-Snoop Latency", "Latency Value", Compare::kLeadingNumber},
    {"L1 PM Substates", "L1SubCap", "PortCommonModeRestoreTime=(\\d+)us", "L1 PM Substates Capabilities", "Port Common_Mode_Restore_Time (us)", Compare::kDecimal},
    {"L1 PM Substates", "L1SubCtl1", "T_CommonMode=(\\d+)us", "L1 PM Substates Control 1", "Common_Mode_Restore_Time (us)", Compare::kDecimal},
    {"Precision Time Measurement", "PTMClockGranularity", "(\\d+)ns", "PTM Capability", "Local Clock Granularity (ns)", Compare::kDecimal},
    {"Resizable BAR", "BAR 0", "current size: (\\w+),", "BAR Control (first)", "BAR Size", Compare::kMeaning},
    {"Header", "Bus", "sec-latency=(\\d+)", "Secondary Latency Timer|CardBus Latency Timer", "", Compare::kDecimal},
    {"Header", "Latency", "^\\s*(\\d+)", "Latency Timer", "", Compare::kDecimal},
    {"Header", "Latency", "\\((\\d+)ns min", "Min_Gnt", "", Compare::kLeadingNumber},
    {"Header", "Latency", "(\\d+)ns max\\)", "Max_Lat", "", Compare::kLeadingNumber},
    {"Header", "Latency", "Cache Line Size: (\\d+ bytes)", "Cache Line Size", "", Compare::kMeaning},
    {"Header", "Interrupt", "pin ([A-D]) ", "Interrupt Pin", "", Compare::kMeaning, "A=INTA#|B=INTB#|C=INTC#|D=INTD#"},
    {"Header", "Interrupt", "routed to IRQ (\\d+)", "Interrupt Line", "", Compare::kDecimal},
    {"Header", "Subsystem", "([0-9a-f]{4}):[0-9a-f]{4}", "Subsystem Vendor ID", "", Compare::kHex},
    {"Header", "Subsystem", "[0-9a-f]{4}:([0-9a-f]{4})", "Subsystem ID", "", Compare::kHex},
    {"Header", "Subsystem", "Device ([0-9a-f]{4})\\s*$", "Subsystem ID", "", Compare::kHex},
    // Names: lspci prints "Vendor Device" where both are named, numbers where one is not.
    {"Header", "Subsystem", "^ *(?!Device )(\\S[^\\n]*\\S)", "Subsystem Vendor ID|Subsystem ID", "", Compare::kLeadingName},
    {"Header", "Subsystem", "^ *(?!Device )(\\S[^\\n]*\\S)", "Subsystem ID", "", Compare::kTrailingName},
    {"Header", "Heading", "^\\s*([^:\\[]+?)(?: \\[[0-9a-f]{4}\\])?:", "Subclass", "", Compare::kMeaningOrUnnamed},
    {"Header", "Heading", ": (?!Device )(.*?)(?: \\(rev [0-9a-f]+\\))?(?: \\(prog-if [0-9a-f]+(?: \\[[^\\]]*\\])?\\))?\\s*$", "Vendor ID", "", Compare::kLeadingName},
    {"Header", "Heading", ": (?!Device )(.*?)(?: \\(rev [0-9a-f]+\\))?(?: \\(prog-if [0-9a-f]+(?: \\[[^\\]]*\\])?\\))?\\s*$", "Device ID", "", Compare::kTrailingName},
    {"Header", "Heading", "Device ([0-9a-f]{4}):[0-9a-f]{4}", "Vendor ID", "", Compare::kHex},
    {"Header", "Heading", "Device [0-9a-f]{4}:([0-9a-f]{4})", "Device ID", "", Compare::kHex},
    {"Header", "Heading", "\\(rev ([0-9a-f]+)\\)", "Revision ID", "", Compare::kHex},
    {"Header", "Heading", "\\(prog-if ([0-9a-f]+)", "Programming Interface", "", Compare::kHex},
    {"Header", "Heading", "\\(prog-if [0-9a-f]+ \\[([^\\]]+)\\]\\)", "Programming Interface", "", Compare::kMeaning},
    {"Header", "I/O behind bridge", "^\\s*(\\S+(?: \\[disabled\\])?)(?: \\[size=\\w+\\])?", "I/O Base", "Address bits 15-12 of the window", Compare::kRange},
    {"Header", "I/O behind bridge", "\\[(\\d+-bit)\\]", "I/O Base", "Addressing capability (16-bit or 32-bit)", Compare::kMeaning},
    // A memory window has no addressing field: it is always 32-bit.
    {"Header", "Memory behind bridge", "^\\s*(\\S+(?: \\[disabled\\])?)(?: \\[size=\\w+\\])?(?: \\[32-bit\\])?", "Memory Base", "Address bits 31-20 of the window", Compare::kRange},
    {"Header", "Prefetchable memory behind bridge", "^\\s*(\\S+(?: \\[disabled\\])?)(?: \\[size=\\w+\\])?", "Prefetchable Memory Base", "Address bits 31-20 of the window", Compare::kRange},
    {"Header", "Prefetchable memory behind bridge", "\\[(\\d+-bit)\\]", "Prefetchable Memory Base", "Addressing capability (32-bit or 64-bit)", Compare::kMeaning},
    {"Header", "Memory window 0", "^\\s*([0-9a-f]+)-", "Memory Base 0", "Address bits 31-12 of the window", Compare::kHexMeaning},
    {"Header", "Memory window 0", "-([0-9a-f]+)", "Memory Limit 0", "Address bits 31-12 of the window", Compare::kHexMeaning},
    {"Header", "Memory window 1", "^\\s*([0-9a-f]+)-", "Memory Base 1", "Address bits 31-12 of the window", Compare::kHexMeaning},
    {"Header", "Memory window 1", "-([0-9a-f]+)", "Memory Limit 1", "Address bits 31-12 of the window", Compare::kHexMeaning},
    {"Header", "I/O window 0", "^\\s*([0-9a-f]+)-", "I/O Base 0", "Address bits 31-2 of the window", Compare::kHexMeaning},
    {"Header", "I/O window 0", "-([0-9a-f]+)", "I/O Limit 0", "Address bits 31-2 of the window", Compare::kHexMeaning},
    {"Header", "I/O window 1", "^\\s*([0-9a-f]+)-", "I/O Base 1", "Address bits 31-2 of the window", Compare::kHexMeaning},
    {"Header", "I/O window 1", "-([0-9a-f]+)", "I/O Limit 1", "Address bits 31-2 of the window", Compare::kHexMeaning},
    {"Header", "Expansion ROM", "^\\s*([0-9a-f]+)", "Expansion ROM Base Address", "ROM base address", Compare::kHexMeaning},
    {"Header", "Region 0", "Memory at ([0-9a-f]+)", "BAR0", "Base address", Compare::kHexMeaning},
    {"Header", "Region 1", "Memory at ([0-9a-f]+)", "BAR1", "Base address", Compare::kHexMeaning},
    {"Header", "Region 2", "Memory at ([0-9a-f]+)", "BAR2", "Base address", Compare::kHexMeaning},
    {"Header", "Region 3", "Memory at ([0-9a-f]+)", "BAR3", "Base address", Compare::kHexMeaning},
    {"Header", "Region 4", "Memory at ([0-9a-f]+)", "BAR4", "Base address", Compare::kHexMeaning},
    {"Header", "Region 5", "Memory at ([0-9a-f]+)", "BAR5", "Base address", Compare::kHexMeaning},
    {"Header", "Region 0", "I/O ports at ([0-9a-f]+)", "BAR0", "Base address", Compare::kHexMeaning},
    {"Header", "Region 1", "I/O ports at ([0-9a-f]+)", "BAR1", "Base address", Compare::kHexMeaning},
    {"Header", "Region 2", "I/O ports at ([0-9a-f]+)", "BAR2", "Base address", Compare::kHexMeaning},
    {"Header", "Region 3", "I/O ports at ([0-9a-f]+)", "BAR3", "Base address", Compare::kHexMeaning},
    {"Header", "Region 4", "I/O ports at ([0-9a-f]+)", "BAR4", "Base address", Compare::kHexMeaning},
    {"Header", "Region 5", "I/O ports at ([0-9a-f]+)", "BAR5", "Base address", Compare::kHexMeaning},
    {"Header", "Region 0", "\\((\\d+-bit)", "BAR0", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Header", "Region 1", "\\((\\d+-bit)", "BAR1", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Header", "Region 2", "\\((\\d+-bit)", "BAR2", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Header", "Region 3", "\\((\\d+-bit)", "BAR3", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Header", "Region 4", "\\((\\d+-bit)", "BAR4", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Header", "Region 5", "\\((\\d+-bit)", "BAR5", "Memory type (32-bit, 64-bit)", Compare::kMeaning},
    {"Header", "Region 0", "(non-prefetchable|prefetchable)\\)", "BAR0", "Prefetchable", Compare::kMeaning, "non-prefetchable=not prefetchable"},
    {"Header", "Region 1", "(non-prefetchable|prefetchable)\\)", "BAR1", "Prefetchable", Compare::kMeaning, "non-prefetchable=not prefetchable"},
    {"Header", "Region 2", "(non-prefetchable|prefetchable)\\)", "BAR2", "Prefetchable", Compare::kMeaning, "non-prefetchable=not prefetchable"},
    {"Header", "Region 3", "(non-prefetchable|prefetchable)\\)", "BAR3", "Prefetchable", Compare::kMeaning, "non-prefetchable=not prefetchable"},
    {"Header", "Region 4", "(non-prefetchable|prefetchable)\\)", "BAR4", "Prefetchable", Compare::kMeaning, "non-prefetchable=not prefetchable"},
    {"Header", "Region 5", "(non-prefetchable|prefetchable)\\)", "BAR5", "Prefetchable", Compare::kMeaning, "non-prefetchable=not prefetchable"},
    {"Power Management", "", "version (\\d+)", "Capabilities", "Version", Compare::kDecimal},
    {"Power Management", "Flags", "AuxCurrent=(\\d+mA)", "Capabilities", "Aux Current", Compare::kMeaning},
    {"Power Management", "Status", "DScale=(\\d+)", "Control/Status", "Data Scale", Compare::kDecimal},
    {"MSI", "Address", "^\\s*([0-9a-f]{8})\\s", "Message Address", "Message Address", Compare::kHexMeaning},
    {"MSI", "Address", "^\\s*[0-9a-f]{8}([0-9a-f]{8})\\s", "Message Address", "Message Address", Compare::kHexMeaning},
    {"MSI", "Address", "^\\s*([0-9a-f]{8})[0-9a-f]{8}\\s", "Message Upper Address", "", Compare::kHex},
    {"MSI", "Address", "Data: ([0-9a-f]+)", "Message Data", "", Compare::kHex},
    {"MSI", "Masking", "^\\s*([0-9a-f]+)", "Mask Bits", "", Compare::kHex},
    {"MSI", "Masking", "Pending: ([0-9a-f]+)", "Pending Bits", "", Compare::kHex},
    {"MSI-X", "Vector table", "BAR=(\\d)", "Table Offset", "BAR Indicator", Compare::kDecimal},
    {"MSI-X", "Vector table", "offset=([0-9a-f]+)", "Table Offset", "Offset", Compare::kHexMeaning},
    {"MSI-X", "PBA", "BAR=(\\d)", "PBA Offset", "BAR Indicator", Compare::kDecimal},
    {"MSI-X", "PBA", "offset=([0-9a-f]+)", "PBA Offset", "Offset", Compare::kHexMeaning},
    {"PCI Express", "", "\\(v(\\d+)\\)", "Capabilities", "Capability Version", Compare::kDecimal},
    {"PCI Express", "", "MSI ([0-9a-f]+)", "Capabilities", "Interrupt Message Number", Compare::kHex},
    {"PCI Express", "DevCap", "PhantFunc (\\d+)", "Device Capabilities", "Phantom Functions Supported", Compare::kMeaning, "0=none|1=1 bit|2=2 bits|3=3 bits"},
    {"PCI Express", "DevCap", "Latency L0s ([^,]+),", "Device Capabilities", "Endpoint L0s Acceptable Latency", Compare::kMeaning},
    {"PCI Express", "DevCap", "Latency L0s [^,]+, L1 ([^\\s,]+)", "Device Capabilities", "Endpoint L1 Acceptable Latency", Compare::kMeaning},
    {"PCI Express", "DevCap", "SlotPowerLimit ([0-9.]+W)", "Device Capabilities", "Captured Slot Power Limit Value", Compare::kMeaning},
    {"PCI Express", "DevCap2", "MaxEETLPPrefixes (\\d+)", "Device Capabilities 2", "Max End-End TLP Prefixes", Compare::kMeaning},
    {"PCI Express", "LnkCap", "ASPM ([^,]+),", "Link Capabilities", "ASPM Support", Compare::kMeaning, "L0s L1=L0s and L1|not supported=no ASPM"},
    // The layout's last exit latency is "more than 4 us" (L0s) and "more than 64 us" (L1).
    {"PCI Express", "LnkCap", "Exit Latency L0s ([^,]+),", "Link Capabilities", "L0s Exit Latency", Compare::kMeaning, "unlimited=>4 us"},
    {"PCI Express", "LnkCap", "Exit Latency L0s [^,]+, L1 ([^\\s,]+)", "Link Capabilities", "L1 Exit Latency", Compare::kMeaning, "unlimited=>64 us"},
    {"PCI Express", "LnkCtl", "ASPM ([^;]+);", "Link Control", "ASPM Control", Compare::kMeaning, "L0s Enabled=L0s|L1 Enabled=L1|L0s L1 Enabled=L0s and L1"},
    {"PCI Express", "LnkCtl", "RCB (\\d+ bytes)", "Link Control", "Read Completion Boundary", Compare::kMeaning},
    {"PCI Express", "LnkCtl2", "Selectable De-emphasis: (-[\\d.]+dB)", "Link Control 2", "Selectable De-emphasis", Compare::kMeaning},
    {"PCI Express", "LnkCtl2", "Compliance Preset/De-emphasis: ([^,]+, [-\\d.]+dB preshoot)", "Link Control 2", "Compliance Preset/De-emphasis", Compare::kMeaning},
    {"PCI Express", "LnkSta2", "Current De-emphasis Level: (-[\\d.]+dB)", "Link Status 2", "Current De-emphasis Level", Compare::kMeaning},
    {"PCI Express", "LnkCap2", "Supported Link Speeds: ([\\d.]+-[\\d.]+GT/s)", "Link Capabilities 2", "Supported Link Speeds Vector", Compare::kSpeedRange},
    {"PCI Express", "SltCap", "Slot #(\\d+)", "Slot Capabilities", "Physical Slot Number", Compare::kDecimal},
    {"PCI Express", "SltCap", "PowerLimit ([0-9.]+W)", "Slot Capabilities", "Slot Power Limit Value", Compare::kMeaning},
    {"PCI Express", "SltCtl", "AttnInd (\\w+)", "Slot Control", "Attention Indicator Control", Compare::kMeaning, "Unknown=reserved (0)"},
    {"PCI Express", "SltCtl", "PwrInd (\\w+)", "Slot Control", "Power Indicator Control", Compare::kMeaning, "Unknown=reserved (0)"},
    {"Advanced Error Reporting", "HeaderLog", "^\\s*([0-9a-f]{8})", "Header Log, first dword", "", Compare::kHex},
    {"Advanced Error Reporting", "HeaderLog", "^\\s*[0-9a-f]{8} ([0-9a-f]{8})", "Header Log, second dword", "", Compare::kHex},
    {"Advanced Error Reporting", "HeaderLog", "^\\s*(?:[0-9a-f]{8} ){2}([0-9a-f]{8})", "Header Log, third dword", "", Compare::kHex},
    {"Advanced Error Reporting", "HeaderLog", "^\\s*(?:[0-9a-f]{8} ){3}([0-9a-f]{8})", "Header Log, fourth dword", "", Compare::kHex},
    {"Advanced Error Reporting", "ErrorSrc", "ERR_COR: ([0-9a-f]{4})", "Error Source Identification", "ERR_COR Source Identification", Compare::kHex},
    {"Advanced Error Reporting", "ErrorSrc", "ERR_FATAL/NONFATAL: ([0-9a-f]{4})", "Error Source Identification", "ERR_FATAL/NONFATAL Source Identification", Compare::kHex},
    {"Advanced Error Reporting", "RootSta", "IntMsg (\\d+)", "Root Error Status", "Advanced Error Interrupt Message Number", Compare::kDecimal},
    {"Downstream Port Containment", "DpcCap", "RP PIO Log (\\d+)", "DPC Capability", "RP PIO Log Size", Compare::kDecimal},
    {"Downstream Port Containment", "DpcSta", "Reason:(\\d+)", "DPC Status", "DPC Trigger Reason", Compare::kHex},
    {"Downstream Port Containment", "DpcSta", "TriggerExt:(\\d+)", "DPC Status", "DPC Trigger Reason Extension", Compare::kHex},
    {"L1 PM Substates", "L1SubCap", "PortTPowerOnTime=(\\d+us)", "L1 PM Substates Capabilities", "Port T_POWER_ON Value", Compare::kMeaning},
    {"L1 PM Substates", "L1SubCtl1", "LTR1.2_Threshold=(\\d+ns)", "L1 PM Substates Control 1", "LTR_L1.2_THRESHOLD_Value", Compare::kMeaning},
    {"L1 PM Substates", "L1SubCtl2", "T_PwrOn=(\\d+us)", "L1 PM Substates Control 2", "T_POWER_ON Value", Compare::kMeaning},
    {"Resizable BAR", "BAR 0", "supported: (.*)$", "BAR Capability (first)", "Supported BAR Sizes", Compare::kMeaning},
    {"Secondary PCI Express", "LaneErrStat", "^\\s*(0)\\s*$", "Lane Error Status", "", Compare::kHex},
    {"Secondary PCI Express", "LaneErrStat", "LaneErr at lane: ([\\d ]+)", "Lane Error Status", "", Compare::kBitList},
    {"Data Object Exchange", "DOECap", "Interrupt Message Number ([0-9a-f]+)", "DOE Capabilities", "DOE Interrupt Message Number", Compare::kHex},
    {"Device Serial Number", "", "Number ([0-9a-f]{2}-[0-9a-f]{2}-[0-9a-f]{2}-[0-9a-f]{2})", "Serial Number, upper dword", "", Compare::kHex},
    {"Device Serial Number", "", "Number (?:[0-9a-f]{2}-){4}([0-9a-f]{2}-[0-9a-f]{2}-[0-9a-f]{2}-[0-9a-f]{2})", "Serial Number, lower dword", "", Compare::kHex},
};
// clang-format on

// One function as lspci prints it: by (block offset, key), the text of each entry; the header's
// entries are under offset -1.
struct Printed {
  std::string location;
  std::map<std::pair<int, std::string>, std::string> entries;
};

std::vector<Printed> ReadLspci(const std::string& text) {
  std::vector<Printed> functions;
  int block = -1;
  std::string key;
  std::istringstream lines(text);
  static const std::regex capability(R"(^Capabilities: \[([0-9a-f]+)(?: v\d+)?\] (.*))");
  static const std::regex entry(R"(^([A-Za-z0-9_ ./#-]+):(.*))");
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (line.empty()) continue;
    if (line[0] != '\t') {
      const size_t space = line.find(' ');
      functions.push_back({line.substr(0, space), {}});
      // "Ethernet controller: Vendor Device (rev 03)" under a key of its own.
      functions.back().entries[{-1, "Heading"}] = " " + line.substr(space + 1);
      block = -1;
      key.clear();
      continue;
    }
    const size_t depth = line.find_first_not_of('\t');
    std::string body = line.substr(depth);
    if (depth == 1 && std::regex_match(body, match, capability)) {
      block = std::stoi(match[1].str(), nullptr, 16);
      key.clear();
      // Flags on the title line: "MSI: Enable+ Count=1/1", "Express (v2) Root Port (Slot+)".
      body = match[2].str();
      const size_t colon = body.find(':');
      if (colon != std::string::npos) body = body.substr(colon + 1);
    } else if (depth == 1 && body.rfind("Expansion ROM at ", 0) == 0) {
      key = "Expansion ROM";  // its line has no colon
      body = body.substr(17);
    } else if (depth <= 2 && std::regex_match(body, match, entry) && !(depth == 2 && block < 0)) {
      key = match[1].str();
      body = match[2].str();
    }
    functions.back().entries[{block, key}] += " " + body;
  }
  return functions;
}

// Splits an entry into flags by key: "Word:" inside the text starts a sub-key ("SltSta
// Changed"), "PME(D0+,D1-)" reads as "PME_D0+ PME_D1-".
std::vector<std::tuple<std::string, std::string, bool>> Flags(const std::string& key,
                                                              std::string text) {
  for (size_t at = text.find("PME("); at != std::string::npos; at = text.find("PME(")) {
    const size_t end = text.find(')', at);
    std::string inside = text.substr(at + 4, end - at - 4);
    std::string flags;
    std::istringstream parts(std::regex_replace(inside, std::regex(","), " "));
    for (std::string part; parts >> part;) flags += " PME_" + part;
    text = text.substr(0, at) + flags + text.substr(end + 1);
  }
  std::vector<std::tuple<std::string, std::string, bool>> flags;
  std::string sub;
  std::istringstream words(std::regex_replace(text, std::regex("[,;]"), " "));
  for (std::string word; words >> word;) {
    if (word.size() > 2 && word.front() == '(' && word.back() == ')') {
      word = word.substr(1, word.size() - 2);  // "(Slot+)"
    }
    if (word.size() > 1 && word.back() == ':') {
      sub = word.substr(0, word.size() - 1);
    } else if (word.size() > 1 && (word.back() == '+' || word.back() == '-')) {
      flags.emplace_back(sub.empty() ? key : (key.empty() ? sub : key + " " + sub),
                         word.substr(0, word.size() - 1), word.back() == '+');
    }
  }
  return flags;
}

// Where lspci and the standard differ, the tree follows the standard: lspci 3.9 prints the
// reserved Target Link Speed 0 as "2.5GT/s", and reads DOE Error from bit 1 (the Interrupt
// Status) rather than bit 2. Such a disagreement is counted, printed and not failed.
struct KnownDifference {
  const char* block;
  const char* key;
  const char* shown;  // the flag or value lspci prints
  const char* ours;   // the value the tree decodes
};
constexpr KnownDifference kKnownDifferences[] = {
    {"PCI Express", "LnkCtl2", "2.5GT/s", "0x0"},
    {"Data Object Exchange", "DOESta", "Error", "0"},
};

bool Known(const std::string& block, const std::string& key, const std::string& shown,
           const std::string& ours) {
  for (const KnownDifference& known : kKnownDifferences) {
    if (block == known.block && key == known.key && shown == known.shown && ours == known.ours) {
      std::cout << "known difference: " << block << " " << key << " " << shown << ", decoded "
                << ours << "\n";
      return true;
    }
  }
  return false;
}

// Values lspci prints that the tree rightly does not hold, with the layout's reason.
struct LspciOnly {
  const char* block;
  const char* key;
  const char* word;
  const char* reason;
};
constexpr LspciOnly kLspciOnly[] = {
    {"?", "", "0x34", "a capability pointer into the header (below 0x40) points at no capability"},
    {"?", "", "[3736]",
     "a capability pointer into the header (below 0x40) points at no capability"},
    {"Virtual Channel", "Status", "[140]",
     "lspci calls the VC Arbitration Table (Port VC Capability 2 bits 31-24) a port arbitration "
     "table"},
    {"Virtual Channel (with MFVC)", "Status", "[1c0]",
     "lspci calls the VC Arbitration Table (Port VC Capability 2 bits 31-24) a port arbitration "
     "table"},
};

bool LspciOnlyWord(const std::string& block, const std::string& key, const std::string& word) {
  for (const LspciOnly& only : kLspciOnly) {
    if (block == only.block && key == only.key && word == only.word) {
      std::cout << "lspci only: " << block << " " << key << " " << word << ": " << only.reason
                << "\n";
      return true;
    }
  }
  return false;
}

bool Named(const std::string& name, const std::string& alternatives) {
  return ("|" + alternatives + "|").find("|" + name + "|") != std::string::npos;
}

// The field (or register, for an empty `field`) of the tree's block at `block`; `reg` and
// `field` may name alternatives ("Secondary Bus Reset|CardBus Reset"), for the header types.
const DecodedLine* Find(const std::vector<DecodedLine>& tree, int block, const std::string& reg,
                        const std::string& field, std::string* block_name) {
  bool in_block = false, in_register = false;
  for (const DecodedLine& line : tree) {
    if (line.depth == 0) {
      in_block = block < 0 ? line.name == "Header"
                           : static_cast<int>(line.offset) == block && line.name != "Header";
      if (in_block) *block_name = line.name;
      in_register = false;
    } else if (in_block && line.depth == 1) {
      in_register = Named(line.name, reg);
      if (in_register && field.empty()) return &line;
    } else if (in_block && in_register && Named(line.name, field)) {
      return &line;
    }
  }
  return nullptr;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Normal(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != ' ' && c != ',') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

uint64_t ValueOf(const DecodedLine& line) { return std::stoull(line.value, nullptr, 0); }

// What lspci prints, in the tree's words where a row's aliases give them.
std::string Aliased(const std::string& shown, const std::string& aliases) {
  std::istringstream pairs(aliases);
  for (std::string pair; std::getline(pairs, pair, '|');) {
    const size_t equals = pair.find('=');
    if (equals != std::string::npos && Normal(pair.substr(0, equals)) == Normal(shown)) {
      return pair.substr(equals + 1);
    }
  }
  return shown;
}

// "f000-0fff [disabled]" against "disabled"; "fe000000-fe1fffff" against
// "0xFE000000-0xFE1FFFFF (2 MB)".
bool SameRange(const std::string& shown, const std::string& meaning) {
  if (shown.find("disabled") != std::string::npos) return meaning == "disabled";
  const size_t dash = shown.find('-'), ours = meaning.find('-');
  if (dash == std::string::npos || ours == std::string::npos) return false;
  return std::stoull(shown, nullptr, 16) == std::stoull(meaning, nullptr, 16) &&
         std::stoull(shown.substr(dash + 1), nullptr, 16) ==
             std::stoull(meaning.substr(ours + 1), nullptr, 16);
}

// The words of an entry that hold a number and are no flag ("8GT/s", "#0", "Count=1/1"), each
// with where it starts: every one must lie within what some row matched.
std::vector<std::pair<size_t, std::string>> NumberWords(const std::string& entry) {
  std::vector<std::pair<size_t, std::string>> words;
  static const std::regex word(R"([^\s,;]+)");
  for (auto it = std::sregex_iterator(entry.begin(), entry.end(), word);
       it != std::sregex_iterator(); ++it) {
    std::string text = it->str();
    while (text.size() > 1 && text.back() == ')') text.pop_back();  // "PME(D0+,...,D3cold-)"
    const bool flag = text.back() == '+' || text.back() == '-';
    if (!flag && std::any_of(text.begin(), text.end(), ::isdigit)) {
      words.emplace_back(static_cast<size_t>(it->position()), text);
    }
  }
  return words;
}

TEST(LspciAgreement, EveryFieldLspciDecodesAgreesWithTheTree) {
  std::map<std::tuple<std::string, std::string, std::string>, std::pair<std::string, std::string>>
      flag_rows;
  for (const auto& rows : {std::vector<FlagRow>(std::begin(kFlags), std::end(kFlags)), kBusFlags,
                           kSharingFlags, kLinkFlags}) {
    for (const FlagRow& row : rows)
      flag_rows[{row.block, row.key, row.flag}] = {row.reg, row.field};
  }
  std::vector<ValueRow> values(std::begin(kValues), std::end(kValues));
  for (const auto* group : {&kBusValues, &kSharingValues, &kLinkValues}) {
    values.insert(values.end(), group->begin(), group->end());
  }
  for (const auto& [key, reg] : kErrorKeys) {
    const std::span<const std::pair<const char*, const char*>> bits =
        key[0] == 'U' ? std::span<const std::pair<const char*, const char*>>(kUncorrectable)
                      : std::span<const std::pair<const char*, const char*>>(kCorrectable);
    for (const auto& [flag, field] : bits) {
      flag_rows[{"Advanced Error Reporting", key, flag}] = {reg, field};
    }
  }

  // The names lspci prints come from the same database.
  names::DeviceNames names;
  const ClassNamer class_names = [&names](ClassPart part, uint8_t base, uint8_t sub,
                                          uint8_t interface) {
    return part == ClassPart::kClass      ? names.ClassName(base)
           : part == ClassPart::kSubclass ? names.SubclassName(base, sub)
                                          : names.InterfaceName(base, sub, interface);
  };
  const IdNamer id_names = [&names](IdPart part, uint16_t vendor, uint16_t device,
                                    uint16_t subsystem_vendor, uint16_t subsystem) {
    switch (part) {
      case IdPart::kVendor:
        return names.VendorName(vendor);
      case IdPart::kDevice:
        return names.DeviceName(vendor, device);
      case IdPart::kSubsystemVendor:
        return names.VendorName(subsystem_vendor);
      case IdPart::kSubsystem:
        break;
    }
    return names.SubsystemName(vendor, device, subsystem_vendor, subsystem);
  };

  int printed = 0, agreeing = 0;
  for (const auto& dump : std::filesystem::recursive_directory_iterator(QBUS_TEST_DUMPS)) {
    if (dump.path().extension() != ".dump") continue;
    const std::string text =
        test::RunCommand("lspci -vvv -F " + dump.path().string() + " 2>/dev/null");
    if (text.empty()) GTEST_SKIP() << "lspci is not installed";
    for (const Printed& function : ReadLspci(text)) {
      SCOPED_TRACE(dump.path().filename().string() + " " + function.location);
      // lspci prints no more than 256 bytes of a dump's function: the tree reads the dump.
      const bool in_domain = function.location.size() > 7;
      const uint32_t domain =
          in_domain ? static_cast<uint32_t>(std::stoul(function.location, nullptr, 16)) : 0;
      const std::string at = function.location.substr(in_domain ? 5 : 0);
      const uint32_t location = static_cast<uint32_t>(
          std::stoul(at.substr(0, 2), nullptr, 16) << 8 |
          std::stoul(at.substr(3, 2), nullptr, 16) << 3 | std::stoul(at.substr(6, 1), nullptr, 16));
      const ParsedDump parsed = ParseDump(ReadFile(dump.path()), "dump", domain);
      ASSERT_EQ(parsed.functions.count(location), 1u);
      const std::vector<DecodedLine> tree =
          DecodeFunction(parsed.functions.at(location).bytes, class_names, id_names);
      for (const auto& [where, entry] : function.entries) {
        const auto& [block, key] = where;
        std::string block_name = block < 0 ? "Header" : "?";
        Find(tree, block, "", "", &block_name);
        for (const auto& [flag_key, flag, set] : Flags(key, entry)) {
          ++printed;
          const auto row = flag_rows.find({block_name, flag_key, flag});
          if (row == flag_rows.end()) {
            ADD_FAILURE() << "not decoded: " << block_name << " / " << flag_key << " / " << flag;
            continue;
          }
          std::string ignored;
          const DecodedLine* field =
              Find(tree, block, row->second.first, row->second.second, &ignored);
          if (field == nullptr) {
            ADD_FAILURE() << "no field " << row->second.first << " / " << row->second.second;
            continue;
          }
          const bool agrees = (ValueOf(*field) != 0) == set;
          agreeing += agrees ? 1 : 0;
          if (!agrees && Known(block_name, flag_key, flag, field->value)) continue;
          EXPECT_TRUE(agrees) << block_name << " " << flag_key << " " << flag << (set ? "+" : "-")
                              << " but " << field->name << " = " << field->value;
        }
        std::vector<std::pair<size_t, size_t>> compared;  // what the rows matched
        for (const ValueRow& row : values) {
          if (block_name != row.block) continue;
          std::smatch match;
          if (key != row.key || !std::regex_search(entry, match, std::regex(row.pattern))) {
            continue;
          }
          ++printed;
          compared.emplace_back(match.position(0), match.position(0) + match.length(0));
          std::string ignored;
          const DecodedLine* field = Find(tree, block, row.reg, row.field, &ignored);
          // A bridge's subsystem IDs, which lspci prints with the header's, live in a capability.
          for (const DecodedLine& line : tree) {
            if (field != nullptr || block >= 0) break;
            if (line.depth == 0 && line.name == "Bridge Subsystem Vendor ID") {
              field = Find(tree, static_cast<int>(line.offset), row.reg, row.field, &ignored);
            }
          }
          if (field == nullptr) {
            ADD_FAILURE() << "no field " << row.reg << " / " << row.field;
            continue;
          }
          const std::string shown = Aliased(match[1].str(), row.aliases);
          bool agrees = false;
          switch (row.compare) {
            case Compare::kMeaning:
              agrees = Normal(field->meaning) == Normal(shown);
              break;
            case Compare::kDecimal:
              agrees = ValueOf(*field) == std::stoull(shown);
              break;
            case Compare::kHex:
              agrees = ValueOf(*field) ==
                       std::stoull(std::regex_replace(shown, std::regex("-"), ""), nullptr, 16);
              break;
            case Compare::kSpeedRange:  // "2.5-16GT/s": the slowest and the fastest listed
              agrees =
                  Normal(field->meaning).rfind(Normal(shown.substr(0, shown.find('-'))), 0) == 0 &&
                  Normal(field->meaning).size() >=
                      Normal(shown.substr(shown.find('-') + 1)).size() &&
                  Normal(field->meaning).ends_with(Normal(shown.substr(shown.find('-') + 1)));
              break;
            case Compare::kBitList: {  // "0 2": the lanes whose bits are set
              uint64_t bits = 0;
              std::istringstream lanes(shown);
              for (int lane; lanes >> lane;) bits |= uint64_t{1} << lane;
              agrees = ValueOf(*field) == bits;
              break;
            }
            case Compare::kLeadingNumber:
              agrees = field->meaning.rfind(shown + " ", 0) == 0;
              break;
            case Compare::kHexMeaning:
              agrees = !field->meaning.empty() &&
                       std::stoull(field->meaning, nullptr, 16) == std::stoull(shown, nullptr, 16);
              break;
            case Compare::kRange:
              agrees = SameRange(shown, field->meaning);
              break;
            case Compare::kMeaningOrUnnamed:  // lspci names the class where the subclass has none
              agrees = Normal(field->meaning) == Normal(shown) ||
                       field->meaning == "no name in the PCI ID database";
              break;
            case Compare::kLeadingName:  // "Intel Corporation Device 1234": the vendor's name
              agrees = Normal(shown).starts_with(Normal(field->meaning));
              break;
            case Compare::kTrailingName:  // the device's, or its number when it has none
              agrees = Normal(shown).ends_with(Normal(field->meaning)) ||
                       (field->meaning == "no name in the PCI ID database" &&
                        std::regex_search(shown, std::regex("Device [0-9a-f]{4}$")));
              break;
          }
          agreeing += agrees ? 1 : 0;
          if (!agrees && Known(block_name, row.key, shown, field->value)) continue;
          EXPECT_TRUE(agrees) << row.key << " " << shown << " but " << field->name << " = "
                              << field->value << " (" << field->meaning << ")";
        }
        // A value lspci prints that no row compares is a field the tree is not held to.
        for (const auto& [at, word] : NumberWords(entry)) {
          // The capability's own name on its title line: "L1 PM Substates".
          if (key.empty() && (" " + block_name + " ").find(" " + word + " ") != std::string::npos) {
            continue;
          }
          const bool held = std::any_of(compared.begin(), compared.end(), [&](const auto& span) {
            return at < span.second && at + word.size() > span.first;
          });
          if (!held && !LspciOnlyWord(block_name, key, word)) {
            ++printed;
            ADD_FAILURE() << "not compared: " << block_name << " / " << key << " / " << word;
          }
        }
      }
    }
  }
  std::cout << "lspci agreement: " << agreeing << " of " << printed << " fields\n";
  EXPECT_GT(printed, 1000);
}

}  // namespace
}  // namespace qbus::config_space
