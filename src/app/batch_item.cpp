#include "app/batch_item.h"

namespace corvane {

BatchItem CaptureBatchItem(const AnalysisFields& fields, const FormConfig& config, int resolution) {
  BatchItem item;
  item.outputRoot = fields.outputRoot;
  item.eggGroupFile = fields.eggGroupFile;
  item.localEggFile = fields.localEggFile;
  item.remoteSaveDirectory = config.remoteSaveDirectory;
  item.saveRemoteInput = fields.saveRemoteInput;
  item.saveCompressed = config.saveCompressed;
  item.plotPictures = config.plotPictures;
  item.forceRemoteAccess = false;
  item.remoteAccess = fields.remoteAccess;
  item.audioOutput = fields.audioOutput;
  item.dft = fields.dft;
  item.dftSize = fields.dftSize;
  item.resolution = resolution;
  item.smoothWindowSize = fields.smoothWindowSize;
  item.smoothWindowType = fields.smoothWindowType;
  item.dataName = fields.dataName;
  item.startTime = fields.startTime;
  item.stopTime = fields.stopTime;
  item.eventTime = fields.eventTime;
  item.eventDuration = fields.eventDuration;
  item.echoMethod = fields.echoMethod;
  item.displayVariable = fields.displayVariable;
  item.compareIntervals = fields.compareIntervals;
  item.interval1Start = fields.interval1Start;
  item.interval2Start = fields.interval2Start;
  item.intervalDuration = fields.intervalDuration;
  item.expCoeff = fields.expCoeff;
  return item;
}

void LoadBatchItem(const BatchItem& item, AnalysisFields& fields, FormConfig& config,
                   int& resolution) {
  fields.outputRoot = item.outputRoot;
  fields.eggGroupFile = item.eggGroupFile;
  fields.localEggFile = item.localEggFile;
  config.remoteSaveDirectory = item.remoteSaveDirectory;
  fields.saveRemoteInput = item.saveRemoteInput;
  config.saveCompressed = item.saveCompressed;
  config.plotPictures = item.plotPictures;
  fields.remoteAccess = item.remoteAccess;
  fields.audioOutput = item.audioOutput;
  fields.dft = item.dft;
  fields.dftSize = item.dftSize;
  resolution = item.resolution;
  fields.smoothWindowSize = item.smoothWindowSize;
  fields.smoothWindowType = item.smoothWindowType;
  fields.dataName = item.dataName;
  fields.startTime = item.startTime;
  fields.stopTime = item.stopTime;
  fields.eventTime = item.eventTime;
  fields.eventDuration = item.eventDuration;
  fields.echoMethod = item.echoMethod;
  fields.displayVariable = item.displayVariable;
  fields.compareIntervals = item.compareIntervals;
  fields.interval1Start = item.interval1Start;
  fields.interval2Start = item.interval2Start;
  fields.intervalDuration = item.intervalDuration;
  fields.expCoeff = item.expCoeff;
}

}  // namespace corvane
