// A description that uses every node kind, for the node map's and the attributes' tests.
#pragma once

namespace mkgev::testing {

inline const char* kDescription = R"(<?xml version="1.0" encoding="utf-8"?>
<RegisterDescription ModelName="Model" VendorName="Vendor" xmlns="http://www.genicam.org/GenApi/Version_1_0">
  <Category Name="Root">
    <pFeature>ImageFormat</pFeature>
    <pFeature>Acquisition</pFeature>
    <pFeature>DeviceModelName</pFeature>
  </Category>
  <Category Name="ImageFormat">
    <pFeature>Width</pFeature>
    <pFeature>Height</pFeature>
    <pFeature>PixelFormat</pFeature>
    <pFeature>PayloadSize</pFeature>
    <pFeature>ReverseX</pFeature>
    <pFeature>Width</pFeature>
  </Category>
  <Category Name="Acquisition">
    <pFeature>AcquisitionStart</pFeature>
    <pFeature>FrameRate</pFeature>
    <pFeature>Gain</pFeature>
    <pFeature>Missing</pFeature>
  </Category>
  <Integer Name="Width">
    <DisplayName>Image width</DisplayName>
    <pValue>WidthReg</pValue>
    <Min>16</Min>
    <pMax>SensorWidth</pMax>
    <Inc>8</Inc>
    <pIsLocked>Acquiring</pIsLocked>
  </Integer>
  <IntReg Name="WidthReg">
    <Address>0x100</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <Sign>Unsigned</Sign><Endianess>BigEndian</Endianess>
  </IntReg>
  <Integer Name="SensorWidth"><Value>1024</Value></Integer>
  <Integer Name="Height"><pValue>HeightReg</pValue><Min>1</Min><Max>768</Max></Integer>
  <IntReg Name="HeightReg">
    <Address>0x104</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <Endianess>BigEndian</Endianess>
  </IntReg>
  <Integer Name="Acquiring"><Value>0</Value></Integer>
  <Enumeration Name="PixelFormat">
    <EnumEntry Name="Mono8"><Value>0x01080001</Value></EnumEntry>
    <EnumEntry Name="Mono16"><Value>0x01100007</Value></EnumEntry>
    <EnumEntry Name="RGB8"><Value>0x02180014</Value><pIsAvailable>ColorSensor</pIsAvailable></EnumEntry>
    <pValue>PixelFormatReg</pValue>
  </Enumeration>
  <Integer Name="ColorSensor"><Value>0</Value></Integer>
  <IntReg Name="PixelFormatReg">
    <Address>0x108</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <Endianess>BigEndian</Endianess>
  </IntReg>
  <IntSwissKnife Name="PayloadSize">
    <pVariable Name="W">Width</pVariable>
    <pVariable Name="H">Height</pVariable>
    <pVariable Name="PF">PixelFormatReg</pVariable>
    <Formula>W * H * ((PF &gt;&gt; 16) &amp; 0xFF) / 8</Formula>
  </IntSwissKnife>
  <Boolean Name="ReverseX"><pValue>ControlBits</pValue><OnValue>1</OnValue><OffValue>0</OffValue></Boolean>
  <MaskedIntReg Name="ControlBits">
    <Address>0x10C</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <Bit>31</Bit><Endianess>BigEndian</Endianess>
  </MaskedIntReg>
  <MaskedIntReg Name="LittleField">
    <Address>0x110</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <LSB>4</LSB><MSB>11</MSB><Sign>Signed</Sign><Endianess>LittleEndian</Endianess>
  </MaskedIntReg>
  <StructReg Comment="Packed">
    <Address>0x114</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <Endianess>BigEndian</Endianess>
    <StructEntry Name="High"><LSB>15</LSB><MSB>0</MSB><Sign>Signed</Sign></StructEntry>
    <StructEntry Name="Low"><LSB>31</LSB><MSB>16</MSB></StructEntry>
    <StructEntry Name="LowReadOnly"><LSB>31</LSB><MSB>16</MSB><AccessMode>RO</AccessMode></StructEntry>
  </StructReg>
  <Command Name="AcquisitionStart"><pValue>CommandReg</pValue><CommandValue>1</CommandValue></Command>
  <IntReg Name="CommandReg">
    <Address>0x118</Address><Length>4</Length><AccessMode>WO</AccessMode><pPort>Device</pPort>
  </IntReg>
  <Float Name="FrameRate"><pValue>FrameRateConverter</pValue><Min>1</Min><Max>100</Max></Float>
  <Converter Name="FrameRateConverter">
    <FormulaTo>(1000000 / FROM)</FormulaTo>
    <FormulaFrom>(1000000 / TO)</FormulaFrom>
    <pValue>FramePeriod</pValue>
  </Converter>
  <Integer Name="FramePeriod"><pValue>FramePeriodReg</pValue><Min>10000</Min><Max>1000000</Max></Integer>
  <IntReg Name="FramePeriodReg">
    <Address>0x11C</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <Cachable>NoCache</Cachable><pInvalidator>FrameRate</pInvalidator>
  </IntReg>
  <Float Name="Gain"><pValue>GainReg</pValue><Min>0</Min><Max>24</Max><pIsAvailable>GainAvailable</pIsAvailable></Float>
  <FloatReg Name="GainReg">
    <Address>0x120</Address><Length>4</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
    <Endianess>LittleEndian</Endianess>
  </FloatReg>
  <Integer Name="GainAvailable"><Value>1</Value></Integer>
  <SwissKnife Name="GainTimesTwo"><pVariable Name="G">Gain</pVariable><Formula>G * 2</Formula></SwissKnife>
  <StringReg Name="DeviceModelName">
    <Address>0x48</Address><Length>16</Length><AccessMode>RW</AccessMode><pPort>Device</pPort>
  </StringReg>
  <String Name="UserNote"><Value>hello</Value></String>
  <Integer Name="Selector"><Value>0</Value><Min>0</Min><Max>3</Max></Integer>
  <IntReg Name="Indexed">
    <Address>0x300</Address><pIndex Offset="0x20">Selector</pIndex><Length>4</Length>
    <AccessMode>RW</AccessMode><pPort>Device</pPort>
  </IntReg>
  <IntReg Name="MaxOffsetReg">
    <Address>0x124</Address><Length>4</Length><AccessMode>RO</AccessMode><pPort>Device</pPort>
    <pInvalidator>Width</pInvalidator>
  </IntReg>
  <Integer Name="LoopA"><pValue>LoopB</pValue></Integer>
  <Integer Name="LoopB"><pValue>LoopA</pValue></Integer>
  <Integer Name="Dangling"><pValue>Nowhere</pValue></Integer>
  <IntSwissKnife Name="OverLoop"><pVariable Name="A">LoopA</pVariable><Formula>A + 1</Formula></IntSwissKnife>
  <IntSwissKnife Name="OverDangling"><pVariable Name="D">Dangling</pVariable><Formula>D</Formula></IntSwissKnife>
  <IntSwissKnife Name="DividesByZero"><pVariable Name="Z">Acquiring</pVariable><Formula>1 / Z</Formula></IntSwissKnife>
</RegisterDescription>
)";

} // namespace mkgev::testing
