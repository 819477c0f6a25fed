// A small US parser configuration: enough word lists and rules to split the usual
// "number [direction] name suffix [unit]" lines and PO boxes. Shared by the plug-in
// tests and the runDQM benchmark.
#pragma once

namespace plugin_test {

inline constexpr const char* kUsConfiguration = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<ADDRESSPARSERMETADATA>
  <COUNTRIES>
    <COUNTRY name="US" c2="US"/>
    <COUNTRY name="USA" c2="US"/>
    <DEFAULTCOUNTRY name="US"/>
  </COUNTRIES>
  <REGIONS>
    <REGION id="1" name="US" priority="1" base="0"/>
  </REGIONS>
  <ADDRESSPARTS c2="US">
    <SUFFIX>
      <PART data="ST" std="ST"/><PART data="STREET" std="ST"/>
      <PART data="AVE" std="AVE"/><PART data="AVENUE" std="AVE"/>
      <PART data="RD" std="RD"/><PART data="ROAD" std="RD"/>
      <PART data="BLVD" std="BLVD"/><PART data="DR" std="DR"/><PART data="LN" std="LN"/>
    </SUFFIX>
    <POBOX>
      <PART data="PO BOX" std="PO BOX"/><PART data="P O BOX" std="PO BOX"/>
      <PART data="BOX" std="PO BOX"/>
    </POBOX>
    <UNITLABEL>
      <PART data="APT" std="APT"/><PART data="SUITE" std="STE"/><PART data="STE" std="STE"/>
      <PART data="UNIT" std="UNIT"/>
    </UNITLABEL>
    <DIRECTIONAL>
      <PART data="N" std="N"/><PART data="S" std="S"/><PART data="E" std="E"/>
      <PART data="W" std="W"/><PART data="NORTH" std="N"/><PART data="SOUTH" std="S"/>
    </DIRECTIONAL>
  </ADDRESSPARTS>
  <RULESET c2="US">
    <NOCONTEXT>
      <RULE name="box-word" condition="ISFIRSTTOKEN AND ISPOBOXWORD" set="POBOXTYPE"/>
      <RULE name="box-number" condition="ISTOKENA(PREV,POBOXTYPE)" set="POBOXNUM"/>
      <RULE name="house-number" condition="ISFIRSTTOKEN AND HASNUMBERS" set="STREETNUM"/>
      <RULE name="unit-label" condition="ISUNITWORD AND NOT ISFIRSTTOKEN" set="UNITLABEL"
            setNext="UNITNUM"/>
      <RULE name="predir" condition="ISTOKENA(PREV,STREETNUM) AND ISDIRECTIONALWORD AND NOT ISLASTTOKEN"
            set="PREDIR"/>
      <RULE name="suffix"
            condition="ISSUFFIXWORD AND ISTOKENA(PREV,STREETNAME) AND (ISLASTTOKEN OR ISUNITWORD(NEXT))"
            set="SUFFIX"/>
      <RULE name="name"
            condition="ISTOKENA(PREV,STREETNUM) OR ISTOKENA(PREV,PREDIR) OR ISTOKENA(PREV,STREETNAME)"
            set="STREETNAME"/>
    </NOCONTEXT>
    <WITHCONTEXT>
      <RULE name="leftover" condition="NOT ISTOKENMEANINGSET" set="STREETNAME"/>
    </WITHCONTEXT>
  </RULESET>
</ADDRESSPARSERMETADATA>
)xml";

}  // namespace plugin_test
