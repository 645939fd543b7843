// Every VST 3 header in one translation unit: building it checks the sizes,
// alignments and field offsets of every record for the target being built.
#include "framework/vst3/Vst3Base.h"
#include "framework/vst3/Vst3Controller.h"
#include "framework/vst3/Vst3Host.h"
#include "framework/vst3/Vst3Processor.h"
#include "framework/vst3/Vst3View.h"
