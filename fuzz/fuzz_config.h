// A small but realistic parser configuration shared by the fuzz targets, written to
// a temporary support directory once per process.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

namespace fuzz {

inline constexpr const char* kConfiguration = R"xml(<ADDRESSPARSER>
<COUNTRIES><COUNTRY name="US" c2="US"/><COUNTRY name="FR" c2="FR"/><COUNTRY name="ES" c2="ES"/>
<COUNTRY name="DE" c2="DE"/><DEFAULTCOUNTRY name="US"/></COUNTRIES>
<REGIONS><REGION id="1" name="US" base="0"/><REGION id="2" name="FR" base="0"/>
<REGION id="3" name="ES" base="0"/><REGION id="4" name="DE" base="0"/></REGIONS>
<ADDRESSPARTS c2="US">
 <PREFIX><PART data="HIGHWAY" std="HWY"/><PART data="US HIGHWAY" std="US HWY"/></PREFIX>
 <SUFFIX><PART data="ST" std="ST"/><PART data="STREET" std="ST"/><PART data="AVE" std="AVE"/>
  <PART data="RD" std="RD"/><PART data="COUNTY ROAD" std="CR"/></SUFFIX>
 <DIRECTIONAL><PART data="N" std="N"/><PART data="NORTH" std="N"/><PART data="E" std="E"/>
  <PART data="W" std="W"/><PART data="S" std="S"/></DIRECTIONAL>
 <UNITLABEL><PART data="APT" std="APT"/><PART data="SUITE" std="STE"/><PART data="#" std="#"/></UNITLABEL>
 <POBOX><PART data="PO BOX" std="PO BOX"/><PART data="BOX" std="BOX"/></POBOX>
 <RURAL><PART data="RR" std="RR"/><PART data="HC" std="HC"/></RURAL>
 <BUILDINGSIDE><PART data="REAR" std="REAR"/></BUILDINGSIDE>
 <UNITSIDE><PART data="UPPER" std="UPPER"/></UNITSIDE>
 <BUILDINGTYPE><PART data="BLDG" std="BLDG"/></BUILDINGTYPE>
 <COUNTY><PART data="COUNTY" std="COUNTY"/></COUNTY>
 <DISCARD><PART data="USA" std=""/></DISCARD>
 <CAREOF><PART data="C/O"/><PART data="ATTN"/><PART data="A+B(" /></CAREOF>
</ADDRESSPARTS>
<ADDRESSPARTS c2="DE"><STICKY_SUFFIX><PART data="STRASSE" std="STR"/><PART data="STR" std="STR"/></STICKY_SUFFIX></ADDRESSPARTS>
<RULESET c2="US">
 <NOCONTEXT>
  <RULE name="number first" condition="ISFIRSTTOKEN AND ISNUMBER" set="STREETNUM"/>
  <RULE name="po box" condition="ISPOBOXWORD" set="POBOXTYPE" setNext="POBOXNUM"/>
  <RULE name="rural" condition="ISRURALROUTEWORD" set="RRHCLABEL" setNext="RRHCNUM"/>
  <RULE name="unit word" condition="ISUNITWORD AND NOT ISLASTTOKEN" set="UNITLABEL" setNext="UNITNUM"/>
  <RULE name="predir" condition="ISDIRECTIONALWORD AND ISTOKENA(PREV,STREETNUM)" set="PREDIR"/>
  <RULE name="once" condition="ONLYONCE:PREDIR,POSTDIR" eliminate="BUILDINGTYPE,COUNTY"/>
 </NOCONTEXT>
 <WITHCONTEXT>
  <RULE name="suffix" condition="ISSUFFIXWORD AND (ISLASTTOKEN OR CANTOKENBEA(NEXT,UNITLABEL))" set="SUFFIX"/>
  <RULE name="len" condition="LENGTHIS:&lt;=,2 AND WEHAVE(STREETNAME) OR NUMBERPRECEDESSUFFIX" set="STREETNAME"/>
  <RULE name="first set" condition="ISFIRSTSETTOKENA(PREV,STREETNUM) OR ISFIRSTSETTOKENA(NEXT,SUFFIX)" set="STREETNAME"/>
  <RULE name="possible" condition="WEHAVEPOSSIBLETOKENMEANING(NEXT,SUFFIX) AND MEANINGSCOMPETE(STREETNAME,UNITNUM)" set="STREETNAME"/>
  <RULE name="unit" condition="ISPOSSIBLEUNITNUMBER AND ISTOKENA(PREV,UNITLABEL)" set="UNITNUM"/>
  <RULE name="rest" condition="" set="STREETNAME"/>
 </WITHCONTEXT>
</RULESET>
<RULESET c2="FR"><WITHCONTEXT><RULE condition="NUMBERFOLLOWSPREFIX OR ISLETTER OR HASNUMBERSIGN" set="STREETNUM"/></WITHCONTEXT></RULESET>
</ADDRESSPARSER>
)xml";

// Writes the configuration into a fresh temporary directory; returns the file path.
inline std::string writeConfiguration(const char* text = kConfiguration) {
  char dir[] = "/tmp/zebfuzzXXXXXX";
  if (mkdtemp(dir) == nullptr) std::abort();
  std::string path = std::string(dir) + "/addressParserMetaData.xml";
  std::ofstream(path) << text;
  return path;
}

}  // namespace fuzz
